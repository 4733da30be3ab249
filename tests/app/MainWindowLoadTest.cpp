// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's loads and the run in real time: Apply, the single-file loads with the
// dialog's filters, the timers stepping the picture and the sound, the about box during a run.
#include "MainWindowFixture.h"

#include "run/RunPhase.h"
#include "sound/WaveFileHeader.h"

#include "app/About.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "framework/Picture.h"
#include "picture/DIB.h"
#include "picture/DXPaintBox.h"
#include "run/RunParameters.h"
#include "sound/DXSounds.h"
#include "timing/ThdTimer.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {
// A minimal 16-bit mono PCM wave file of the given rate with a few frames of a ramp.
QByteArray WaveFile(uint32_t rate) {
    std::vector<int16_t> ramp;
    for (int16_t i = 0; i < 64; ++i)
        ramp.push_back(static_cast<int16_t>(i * 256));
    const std::vector<uint8_t> file = wavefile::Pcm16(rate, 1, ramp);
    return QByteArray(reinterpret_cast<const char*>(file.data()),
                      static_cast<qsizetype>(file.size()));
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
} // namespace

TEST_F(MainWindowTest, FirstStartKeepsTheLayoutValuesUntilTheControlsChange) {
    auto form = Open();
    // The intervals say what the box says (7.0 Hz), not the layout's 37 ms.
    EXPECT_EQ(form->Timer1->Interval(), 71);
    EXPECT_EQ(form->Timer2->Interval(), 7);
    EXPECT_EQ(form->RunPhase().FrequencyMilliHz(), 7000u);
    EXPECT_TRUE(form->WaveLabel->text().isEmpty());
    EXPECT_EQ(RunParams.TransformLevel, 0);
    EXPECT_EQ(RunParams.BaseRate, 15435);
    EXPECT_EQ(RunParams.CycleModulus, 255);
    EXPECT_EQ(RunParams.ModPhase, 0);
    EXPECT_EQ(BufferVolume(*form), -10000); // the lowest step until the knob is turned
    EXPECT_EQ(BufferFrequency(*form), 15435u);
    EXPECT_FALSE(BufferPlaying(*form));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Velmora Beta 2.4"));
    EXPECT_GT(form->ComboBox1->count(), 1);
    EXPECT_GT(form->ComboBox2->count(), 1);
    EXPECT_FALSE(form->PaintBox1->DIB().IsEmpty());
}

TEST_F(MainWindowTest, ApplyLoadsTheChosenPictureAndPlaysAtFullVolumeUntilTheKnobMoves) {
    auto form = Open();
    form->Volume->SetPosition(3);
    ASSERT_EQ(BufferVolume(*form), -1500);
    const QByteArray first = LibraryPixels(*form);
    form->ComboBox1->setCurrentIndex(1);
    form->ComboBox2->setCurrentIndex(1);
    form->FreqEdit->SetValue(4.0L);
    QTest::mouseClick(form->ApplyButton, Qt::LeftButton);
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(form->ComboBox1->currentIndex(), 1);
    EXPECT_EQ(form->ComboBox2->currentIndex(), 1);
    EXPECT_NE(LibraryPixels(*form), first);
    EXPECT_EQ(Pixels(form->PaintBox1->DIB()), LibraryPixels(*form));
    EXPECT_EQ(BufferVolume(*form), 0);
    EXPECT_EQ(BufferFrequency(*form), 8820u);
    form->Volume->SetPosition(4);
    EXPECT_EQ(BufferVolume(*form), -1200);
}

TEST_F(MainWindowTest, LoadPictureUsesTheBitmapFilterAndDifferenceBringsTheLibraryBack) {
    auto form = Open();
    const QString bmp = config.path() + QStringLiteral("/still.bmp");
    {
        TDIB still;
        still.Allocate(8, 4, 8);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                still.ScanLine(y)[x] = static_cast<uint8_t>(x * 10 + y);
        still.SaveBmpFile(bmp.toStdString());
    }
    // A reserved header word of 15 gives the file its own cycle modulus, 240.
    QFile file(bmp);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(6);
    file.write(QByteArray("\x0f\x00", 2));
    file.close();

    QStringList filters;
    form->OpenDialog1.Choose = [&](QWidget*, const QString& filter) {
        filters << filter;
        return filters.size() == 1 ? QString() : bmp; // the first time the user cancels
    };
    form->LoadPicture->trigger();
    EXPECT_EQ(form->OpenDialog1.Filter, QStringLiteral("Velmora Libraries|*.zdl"));
    EXPECT_EQ(RunParams.CycleModulus, 255);
    form->LoadPicture->trigger();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(filters,
              QStringList({QStringLiteral("BitMaps|*.bmp"), QStringLiteral("BitMaps|*.bmp")}));
    EXPECT_EQ(form->OpenDialog1.Filter, QStringLiteral("Velmora Libraries|*.zdl"));
    EXPECT_EQ(form->PaintBox1->DIB().Width(), 8);
    EXPECT_EQ(RunParams.CycleModulus, 240);

    QTest::mouseClick(form->DivCheck, Qt::LeftButton);
    EXPECT_EQ(Pixels(form->PaintBox1->DIB()), LibraryPixels(*form));
}

TEST_F(MainWindowTest, LoadSoundUsesTheWaveFilterAndAFailedLoadKeepsTheFilterBack) {
    auto form = Open();
    const QString wav = config.path() + QStringLiteral("/tone.wav");
    ASSERT_TRUE(WriteFile(wav, WaveFile(11025)));
    const QString broken = config.path() + QStringLiteral("/broken.wav");
    ASSERT_TRUE(WriteFile(broken, QByteArray("RIFF\x04\x00\x00\x00WAVE", 12)));

    QString next = wav;
    QString offered;
    form->OpenDialog1.Choose = [&](QWidget*, const QString& filter) {
        offered = filter;
        return next;
    };
    form->StartButtonClick(form->Start);
    form->LoadSound->trigger();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(offered, QStringLiteral("Sounds|*.wav"));
    EXPECT_EQ(BufferFrequency(*form), 11025u); // the file's own rate
    EXPECT_EQ(BufferVolume(*form), 0);
    EXPECT_FALSE(BufferPlaying(*form)); // waits for the next Start

    next = broken;
    form->LoadSound->trigger();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(form->OpenDialog1.Filter, QStringLiteral("Velmora Libraries|*.zdl"));
    form->StartButtonClick(form->Start);
}

TEST_F(MainWindowTest, ALibraryThatFailsToLoadStaysTheCurrentOne) {
    auto form = Open();
    const QString missing = config.path() + QStringLiteral("/gone.zdl");
    form->OpenDialog1.Choose = [&](QWidget*, const QString&) { return missing; };
    const QStringList pictures = [&] {
        QStringList items;
        for (int i = 0; i < form->ComboBox1->count(); ++i)
            items << form->ComboBox1->itemText(i);
        return items;
    }();
    form->LoadLibrary1->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Resource Picturez not found");
    EXPECT_EQ(RunParams.LibraryPath, missing.toStdString());
    EXPECT_EQ(form->ComboBox1->count(), pictures.size());
    EXPECT_EQ(form->ComboBox1->itemText(0), pictures[0]);

    // Cancelling changes nothing.
    form->OpenDialog1.Choose = [](QWidget*, const QString&) { return QString(); };
    form->LoadLibrary1->trigger();
    EXPECT_EQ(RunParams.LibraryPath, missing.toStdString());
    EXPECT_EQ(messages.size(), 1u);
    Close(form);
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("LibrName=") + missing));
}

TEST_F(MainWindowTest, RunningTimersStepThePictureAndTheSoundAndStopHoldsThem) {
    auto form = Open();
    form->FreqEdit->SetValue(25.0L);
    form->UpDown1->SetPosition(7);
    form->UpDown2->SetPosition(5);
    const QByteArray original = Pixels(form->PaintBox1->DIB());
    form->StartButtonClick(form->Start);
    QTest::qWait(400);
    form->StartButtonClick(form->Start);
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_NE(Pixels(form->PaintBox1->DIB()), original);
    // A firing already handed over when Stop ran may still arrive; after that nothing moves.
    QTest::qWait(50);
    const int32_t phase = RunParams.ModPhase;
    const QByteArray stopped = Pixels(form->PaintBox1->DIB());
    QTest::qWait(200);
    EXPECT_EQ(RunParams.ModPhase, phase);
    EXPECT_EQ(Pixels(form->PaintBox1->DIB()), stopped);
}

TEST_F(MainWindowTest, TheAboutBoxIsModalAndTheRunGoesOnWhileItIsOpen) {
    auto form = Open();
    TAboutBox box;
    SetAboutBox(&box);
    form->FreqEdit->SetValue(25.0L);
    form->UpDown1->SetPosition(7);
    form->StartButtonClick(form->Start);
    QByteArray atOpen;
    bool steppedWhileOpen = false;
    QTimer::singleShot(50, &box, [&] {
        atOpen = Pixels(form->PaintBox1->DIB());
        EXPECT_TRUE(box.isVisible());
        EXPECT_TRUE(box.isModal());
        QTimer::singleShot(300, &box, [&] {
            steppedWhileOpen = Pixels(form->PaintBox1->DIB()) != atOpen;
            box.OKButton->click();
        });
    });
    form->About1->trigger();
    SetAboutBox(nullptr);
    form->StartButtonClick(form->Start);
    EXPECT_FALSE(box.isVisible());
    EXPECT_TRUE(steppedWhileOpen);
    EXPECT_TRUE(messages.empty()) << messages.front();
}

TEST_F(MainWindowTest, ClosingWhileRunningEndsCleanlyAndSaves) {
    auto form = Open();
    form->UpDown3->SetPosition(2);
    form->StartButtonClick(form->Start);
    QTest::qWait(100);
    Close(form);
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("UpDown3_Position=2")));
}
