// SPDX-License-Identifier: GPL-3.0-or-later
#include "FlashReport.h"

#include "SessionRender.h" // OpenLibraryModule

#include "framework/Exception.h"
#include "framework/Messages.h"
#include "library/LibraryFormat.h"
#include "library/LibraryLoader.h"
#include "picture/DIB.h"
#include "run/RunParameters.h"
#include "safety/FlashAdvice.h"

#include <QCoreApplication>

std::vector<TFlashMinute> ReportSessionFlashing(const TFlashReportJob& job) {
    if (job.Session.Empty())
        throw Exception(
            TranslatedText("RenderTool", QT_TRANSLATE_NOOP("RenderTool", "nothing to check")));
    const TModuleHandle module = OpenLibraryModule(job.LibraryPath);
    struct Release {
        TModuleHandle m;
        ~Release() { FreeResourceModule(m); }
    } release{module};
    TDIB dib;
    int32_t modulus = 0;
    try {
        LoadLibraryPicture(module, job.PictureName, dib, modulus);
    } catch (const Exception& e) {
        throw Exception(TranslatedText(
            "RenderTool", QT_TRANSLATE_NOOP("RenderTool", "%1 has no usable picture \"%2\": %3"),
            {job.LibraryPath, job.PictureName, e.Message()}));
    }
    TFlashPicture picture = FlashPictureOf(dib);
    if (job.Reduced) picture.Colours = ReducedFlashingColours(picture.Colours);

    if (!picture.Top) {
        throw Exception(TranslatedText(
            "RenderTool",
            QT_TRANSLATE_NOOP("RenderTool", "%1: the picture is not an 8-bit picture"),
            {job.PictureName}));
    }
    TSessionFlashGrader grader(picture, modulus, job.Display);
    return grader.Grade(job.Session, TransformLevelFromKnob(job.Depth));
}
