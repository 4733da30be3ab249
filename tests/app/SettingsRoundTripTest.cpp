// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's settings across program starts in one configuration directory.
#include "MainWindowFixture.h"

#include "run/RunPhase.h"

#include "audio/SoundDevice.h"
#include "controls/ASswitch.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "picture/DXPaintBox.h"
#include "run/RunParameters.h"
#include "timing/ThdTimer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QTest>
#include <QToolButton>

TEST_F(MainWindowTest, StoredValuesComeBackThroughTheirHandlers) {
    auto first = Open();
    ASSERT_TRUE(messages.empty()) << messages.front();
    first->FreqEdit->SetValue(10.25L);
    first->UpDown1->SetPosition(6);
    first->UpDown2->SetPosition(3);
    first->UpDown3->SetPosition(4);
    first->Volume->SetPosition(7);
    QTest::mouseClick(first->Half, Qt::LeftButton);
    QTest::mouseClick(first->DivCheck, Qt::LeftButton);
    first->ComboBox1->setCurrentIndex(2);
    first->ComboBox2->setCurrentIndex(1);
    Close(first);

    const QString saved = ReadSettings();
    EXPECT_TRUE(saved.contains(QStringLiteral("[Options]")));
    EXPECT_TRUE(saved.contains(QStringLiteral("[TMainForm]")));
    EXPECT_TRUE(saved.contains(QStringLiteral("FreqEdit_Value=10.25")));
    EXPECT_TRUE(saved.contains(QStringLiteral("ItemIndex1=2")));
    EXPECT_TRUE(saved.contains(QStringLiteral("Half_Checked=True")));

    // The run parameters of the first start must not leak into the second.
    RunParams.TransformLevel = RunParams.AMDepth = RunParams.FMDepth = RunParams.BaseRate = 0;
    auto second = Open();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(second->FreqEdit->Value(), 10.25L);
    EXPECT_EQ(second->RxSlider1->Value(), 102); // 102.5 goes to the even neighbour
    EXPECT_EQ(second->Timer1->Interval(), 49);
    EXPECT_EQ(RunParams.BaseRate, 22601); // 10.25 x 2205 = 22601.25
    EXPECT_EQ(BufferFrequency(*second), 22601u);
    EXPECT_EQ(second->WaveLabel->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(RunParams.TransformLevel, 6);
    EXPECT_EQ(RunParams.AMDepth, 300);
    EXPECT_EQ(RunParams.FMDepth, 800);
    EXPECT_EQ(BufferVolume(*second), -500);
    EXPECT_TRUE(second->Half->isChecked());
    EXPECT_TRUE(second->DivCheck->isChecked());
    // Half is restored last, so its click handler sets the fifth of the stored interval.
    EXPECT_EQ(second->Timer2->Interval(), second->Timer1->Interval() / 5);
    EXPECT_EQ(second->ComboBox1->currentIndex(), 2);
    EXPECT_EQ(second->ComboBox2->currentIndex(), 1);
}

TEST_F(MainWindowTest, JunkValuesAreClampedOrIgnored) {
    WriteSettings(QStringLiteral("[TMainForm]\n"
                                 "RxSlider1_Value=abc\n"
                                 "FreqEdit_Value=abc\n"
                                 "Half_Checked=TRUE\n"
                                 "UpDown2_Position=zz\n"
                                 "Volume_Position=99\n"));
    auto form = Open();
    EXPECT_EQ(form->FreqEdit->Value(), 7.0L);
    EXPECT_EQ(form->RxSlider1->Value(), 1);
    EXPECT_TRUE(form->Half->isChecked());
    EXPECT_EQ(form->Timer2->Interval(), form->Timer1->Interval() / 5);
    EXPECT_EQ(form->UpDown2->Position(), 0);
    EXPECT_EQ(RunParams.AMDepth, 0);
    EXPECT_EQ(form->Volume->Position(), 10);
}

TEST_F(MainWindowTest, AJunkPictureIntervalIsWorkedOutFromTheRestoredSlider) {
    WriteSettings(QStringLiteral("[TMainForm]\n"
                                 "RxSlider1_Value=100\n"
                                 "Timer1_Interval=junk\n"
                                 "Half_Checked=True\n"));
    auto form = Open();
    EXPECT_EQ(form->Timer1->Interval(), 50);
    EXPECT_EQ(form->Timer2->Interval(), 10);
}

TEST_F(MainWindowTest, AStoredPictureIndexAbove21IsLostAtStartUp) {
    WriteSettings(QStringLiteral("ItemIndex1=25\nItemIndex2=0x02\n"));
    auto form = Open();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(form->ComboBox1->currentIndex(), 0);
    EXPECT_EQ(form->ComboBox2->currentIndex(), 2); // "0x" read as hexadecimal
}

TEST_F(MainWindowTest, AWindowClosedWithHiddenControlsReopensSmallerWithThemShown) {
    auto first = Open();
    const int fullHeight = first->height();
    QTest::mouseClick(first->ShowButton, Qt::LeftButton);
    ASSERT_EQ(first->height(), fullHeight - 111);
    Close(first);

    auto second = Open();
    EXPECT_EQ(second->height(), fullHeight - 111);
    EXPECT_EQ(second->ShowButton->text(), QStringLiteral("Hide Controls"));
    EXPECT_TRUE(second->UpDown1->isVisible());
    EXPECT_FALSE(second->DublButton->isVisible());
    EXPECT_EQ(second->Panel1->height(), 144);
}

TEST_F(MainWindowTest, FirstStartWithoutSettingsOrLibraryReportsAndStillWorks) {
    // No settings file: "main.zdl" is looked for and not found from this directory.
    ASSERT_TRUE(QFile::remove(SettingsPath()));
    const QString here = QDir::currentPath();
    QTemporaryDir empty;
    QDir::setCurrent(empty.path());
    auto form = Open();
    QDir::setCurrent(here);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Resource Picturez not found");
    // FormCreate stopped after loading the library; the restored controls still set the
    // intervals and the run's rate, so Start pulses at the frequency shown.
    EXPECT_EQ(form->Timer1->Interval(), 71);
    EXPECT_EQ(form->Timer2->Interval(), 7);
    EXPECT_EQ(form->RunPhase().FrequencyMilliHz(), 7000u);
    EXPECT_EQ(RunParams.BaseRate, 0);
    EXPECT_TRUE(form->WaveLabel->text().isEmpty());

    form->FreqEdit->SetValue(9.0L);
    EXPECT_EQ(form->Timer1->Interval(), 55);
    EXPECT_EQ(form->WaveLabel->text(), QStringLiteral("Low Alpha"));
    form->UpDown1->SetPosition(4);
    form->StartButtonClick(form->Start);
    form->Timer1Timer(form->Timer1);
    form->StartButtonClick(form->Start);
    Close(form);
    const QString saved = ReadSettings();
    EXPECT_TRUE(saved.contains(QStringLiteral("LibrName=main.zdl")));
    EXPECT_TRUE(saved.contains(QStringLiteral("[TMainForm]")));
}

TEST_F(MainWindowTest, WithoutASoundDeviceTheWindowCarriesOnQuietly) {
    SetSoundOutputChoice(SoundOutputChoice::Unavailable);
    WriteSettings(QStringLiteral("[TMainForm]\nUpDown1_Position=3\nVolume_Position=4\n"));
    auto form = Open();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "DirectSound cannot be initialized");
    EXPECT_EQ(form->SoundBuffer(), nullptr);
    EXPECT_EQ(form->SourcePicture(), nullptr);
    EXPECT_EQ(form->IniFile(), nullptr);
    // The stored values still arrive, and nothing fails on the objects never made.
    EXPECT_EQ(RunParams.TransformLevel, 3);
    form->FreqEdit->SetValue(12.0L);
    QTest::mouseClick(form->DivCheck, Qt::LeftButton);
    QTest::mouseClick(form->Half, Qt::LeftButton);
    form->StartButtonClick(form->Start);
    for (int i = 0; i < 20; ++i) {
        form->Timer1Timer(form->Timer1);
        form->Timer2Timer(form->Timer2);
    }
    QTest::qWait(100); // the real timers fire too
    form->StartButtonClick(form->Start);
    EXPECT_EQ(messages.size(), 1u);
    Close(form);
    EXPECT_EQ(messages.size(), 1u);
    // The window's own section could not be written without its settings object; the
    // settings component's still was.
    EXPECT_TRUE(ReadSettings().contains(QStringLiteral("UpDown1_Position=3")));
}

TEST_F(MainWindowTest, FrequencyIsStoredInItsShortestDecimalForm) {
    auto form = Open();
    form->FreqEdit->SetValue(3.3L);
    Close(form);
    const QString saved = ReadSettings();
    EXPECT_TRUE(saved.contains(QStringLiteral("FreqEdit_Value=3.3\n")) ||
                saved.contains(QStringLiteral("FreqEdit_Value=3.3\r\n")))
        << saved.toStdString();
}
