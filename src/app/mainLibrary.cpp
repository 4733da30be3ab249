// SPDX-License-Identifier: GPL-3.0-or-later
// Loading: the current library through RezCharge (at start-up, on Apply and on Load Library),
// and the two hidden single-file loads, all through the window's one open-file dialog.
#include "app/main.h"

#include "controls/CurrEdit.h"
#include "framework/Picture.h"
#include "library/LibraryLoader.h"
#include "picture/DXPaintBox.h"
#include "run/RunParameters.h"
#include "sound/DXSounds.h"

#include <QComboBox>

namespace {

TNameList ListOf(const QComboBox& box) {
    std::vector<std::string> items;
    items.reserve(static_cast<size_t>(box.count()));
    for (int i = 0; i < box.count(); ++i)
        items.push_back(box.itemText(i).toStdString());
    return TNameList(std::move(items), box.currentIndex());
}

void Show(const TNameList& list, QComboBox& box) {
    QStringList items;
    for (const std::string& item : list.Items())
        items << QString::fromStdString(item);
    bool same = box.count() == items.size();
    for (int i = 0; same && i < box.count(); ++i)
        same = box.itemText(i) == items[i];
    if (!same) {
        box.clear();
        box.addItems(items);
    }
    box.setCurrentIndex(list.ItemIndex());
}

// Puts the dialog's filter back whatever happens in between.
struct RestoreFilter {
    TOpenDialog& dialog;
    ~RestoreFilter() { dialog.Filter = TMainForm::tr(kLibraryFilter); }
};
} // namespace

void TMainForm::RezCharge() {
    // Without a sound device FormCreate made neither the picture holder nor the buffer.
    if (!SourcePicture_) throw EDirectSoundError(Msg::NotMade, {std::string("IDirectSound")});
    TNameList pictures = ListOf(*ComboBox1);
    TNameList sounds = ListOf(*ComboBox2);
    TLibraryTargets targets{pictures,           sounds,
                            *SourcePicture_,    PaintBox1->DIB(),
                            SoundBuffer_.get(), RunParams.CycleModulus};
    // What the load did before a failure stays done, the lists included.
    struct ShowLists {
        TNameList& pictures;
        TNameList& sounds;
        QComboBox& box1;
        QComboBox& box2;
        ~ShowLists() {
            Show(pictures, box1);
            Show(sounds, box2);
        }
    } showLists{pictures, sounds, *ComboBox1, *ComboBox2};
    LoadStimulusLibrary(RunParams.LibraryPath, targets);
}

void TMainForm::ApplyButtonClick(QObject*) {
    RezCharge();
    RunParams.BaseRate = BaseRateFromFrequency(FreqEdit->Value());
    SetSoundFrequency(RunParams.BaseRate);
    PaintBox1->PaintNow();
}

void TMainForm::LoadLibrary1Click(QObject*) {
    OpenDialog1.Filter = tr(kLibraryFilter);
    if (!OpenDialog1.Execute(this)) return;
    RunParams.LibraryPath = OpenDialog1.FileName.toStdString();
    RezCharge();
}

void TMainForm::LoadPictureClick(QObject*) {
    {
        RestoreFilter restore{OpenDialog1};
        OpenDialog1.Filter = tr("BitMaps|*.bmp");
        if (OpenDialog1.Execute(this))
            LoadPictureFile(OpenDialog1.FileName.toStdString(), PaintBox1->DIB(),
                            RunParams.CycleModulus);
    }
    PaintBox1->PaintNow();
}

void TMainForm::LoadSoundClick(QObject*) {
    RestoreFilter restore{OpenDialog1};
    OpenDialog1.Filter = tr("Sounds|*.wav");
    if (OpenDialog1.Execute(this))
        LoadSoundFile(OpenDialog1.FileName.toStdString(), SoundBuffer_.get());
}
