// SPDX-License-Identifier: GPL-3.0-or-later
// The tone in the main window: the "Tone" submenu and its settings, the beat on the frequency
// edit's exact value, the volume on the Volume knob, playing only during a run, the carrier
// dialog, and a session's tone= and carrier=.
#include "MainWindowFixture.h"

#include "app/mainSession.h"
#include "app/mainTone.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "sound/DXSounds.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>
#include <QTimer>

#include <cmath>
#include <fstream>

namespace {

struct ToneState {
    uint32_t mode = 99, carrier = 0, beat = 0;
    int32_t volume = 1;
    bool playing = true;
};

ToneState DeviceTone(const TMainForm& form) {
    ToneState t;
    EXPECT_EQ(form.DXSound->Device()->RequireSound().GetTone(&t.mode, &t.carrier, &t.beat,
                                                             &t.volume, &t.playing),
              DS_OK);
    return t;
}

} // namespace

TEST_F(MainWindowTest, ToneMenuSettingsAndTheRunDriveTheTone) {
    WriteSettings(QStringLiteral("Tone=isochronic\nToneCarrier=300\nToneLevel=-10\n"));
    auto form = Open();
    TMainTone& tone = *form->Tone();
    EXPECT_EQ(tone.ToneMenu->title(), QStringLiteral("Tone"));
    QStringList captions;
    for (QAction* a : tone.ToneMenu->actions())
        if (!a->isSeparator()) captions << a->text();
    EXPECT_EQ(captions,
              (QStringList{QStringLiteral("Off"), QStringLiteral("Binaural Beat"),
                           QStringLiteral("Isochronic Pulse"), QStringLiteral("Carrier...")}));
    EXPECT_TRUE(tone.IsochronicPulse1->isChecked());
    EXPECT_FALSE(tone.ToneOff1->isChecked());
    ToneState t = DeviceTone(*form);
    EXPECT_EQ(t.mode, DSTONE_ISOCHRONIC);
    EXPECT_EQ(t.carrier, 300000u);
    EXPECT_FALSE(t.playing);

    // The edit's three decimals, not the slider's tenths; the volume table less 10 dB, from
    // the loaded sound as heard.
    form->FreqEdit->SetValue(7.125L);
    form->Volume->SetPosition(7);
    t = DeviceTone(*form);
    EXPECT_EQ(t.beat, 7125u);
    float rms = 0;
    ASSERT_EQ(form->DXSound->Device()->RequireSound().GetSoundLoudness(&rms), DS_OK);
    ASSERT_GT(rms, 0.01f);
    EXPECT_EQ(t.volume, -500 - 1000 + std::lround(2000 * std::log10(rms / kFullScaleSineRms)));
    form->UpDown2->SetPosition(5); // the Oscilator knobs leave it alone
    form->UpDown3->SetPosition(10);
    EXPECT_EQ(DeviceTone(*form).volume, t.volume);
    form->Volume->SetPosition(0);
    EXPECT_EQ(DeviceTone(*form).volume, DSBVOLUME_MIN);

    form->StartButtonClick(form->Start);
    EXPECT_TRUE(DeviceTone(*form).playing);
    tone.BinauralBeat1->trigger();
    EXPECT_TRUE(tone.BinauralBeat1->isChecked());
    EXPECT_FALSE(tone.IsochronicPulse1->isChecked());
    EXPECT_EQ(DeviceTone(*form).mode, DSTONE_BINAURAL);
    form->StartButtonClick(form->Start);
    EXPECT_FALSE(DeviceTone(*form).playing);

    // Carrier...: a small dialog limited to 50..1000 Hz.
    int range[2] = {0, 0};
    QTimer::singleShot(50, [&] {
        auto* dialog = form->findChild<QInputDialog*>(QStringLiteral("CarrierDialog"));
        if (!dialog) return;
        range[0] = dialog->intMinimum();
        range[1] = dialog->intMaximum();
        dialog->setIntValue(440);
        dialog->accept();
    });
    tone.Carrier1->trigger();
    EXPECT_EQ(range[0], 50);
    EXPECT_EQ(range[1], 1000);
    EXPECT_EQ(DeviceTone(*form).carrier, 440000u);
    const QString settings = ReadSettings();
    EXPECT_TRUE(settings.contains(QStringLiteral("Tone=binaural"))) << settings.toStdString();
    EXPECT_TRUE(settings.contains(QStringLiteral("ToneCarrier=440"))) << settings.toStdString();
    Close(form);

    // Remembered; a session's point sets the tone as the menu does.
    form = Open();
    EXPECT_TRUE(form->Tone()->BinauralBeat1->isChecked());
    EXPECT_EQ(form->Tone()->Carrier(), 440);
    const std::string session = config.filePath(QStringLiteral("t.vsession")).toStdString();
    std::ofstream(session) << "0:00 9.0 tone=isochronic carrier=150\n0:10 9.0\n";
    form->Session()->Load(session, false);
    form->StartButtonClick(form->Start);
    t = DeviceTone(*form);
    EXPECT_EQ(t.mode, DSTONE_ISOCHRONIC);
    EXPECT_EQ(t.carrier, 150000u);
    EXPECT_EQ(t.beat, 9000u);
    EXPECT_TRUE(t.playing);
    EXPECT_TRUE(form->Tone()->IsochronicPulse1->isChecked());
    form->StartButtonClick(form->Start);
    // The session's tone is the session's: the user's own is what the settings keep, and it
    // comes back when the session ends.
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("Tone=binaural")));
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("ToneCarrier=440")));
    form->EndSession1Click(form->EndSession1);
    t = DeviceTone(*form);
    EXPECT_EQ(t.mode, DSTONE_BINAURAL);
    EXPECT_EQ(t.carrier, 440000u);
    EXPECT_TRUE(form->Tone()->BinauralBeat1->isChecked());
    Close(form);
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("Tone=binaural")));
    EXPECT_TRUE(messages.empty()) << messages.front();
}
