// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindowFixture.h"

#include "audio/SoundDevice.h"
#include "audio/SoundTypes.h"
#include "controls/ASswitch.h"
#include "framework/Picture.h"
#include "picture/DIB.h"
#include "run/RunParameters.h"
#include "sound/DXSounds.h"

#include <QDir>
#include <QFile>
#include <QTest>

void MainWindowTest::SetUp() {
    previousConfigHome_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // Runs are journaled in the data folder: the test's own, never the user's.
    previousDataHome_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", config.filePath(QStringLiteral("data")).toLocal8Bit());
    SetSoundOutputChoice(SoundOutputChoice::Offline);
    // Each test is a program start of its own.
    RunParams = TRunParameters{};
    // Every window starts on the default library unless a test says otherwise.
    WriteSettings({});
}

void MainWindowTest::TearDown() {
    SetSoundOutputChoice(SoundOutputChoice::Device);
    qputenv("XDG_CONFIG_HOME", previousConfigHome_);
    qputenv("XDG_DATA_HOME", previousDataHome_);
}

std::string MainWindowTest::DefaultLibrary() {
    return VELMORA_BINARY_DIR "/main.zdl";
}

QString MainWindowTest::SettingsPath() const {
    return config.path() + QStringLiteral("/velmora/Zandrel.ini");
}

void MainWindowTest::WriteSettings(const QString& text, bool withLibrary) {
    QDir().mkpath(config.path() + QStringLiteral("/velmora"));
    QFile file(SettingsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QString all = text;
    if (withLibrary) {
        all = QStringLiteral("[Options]\nLibrName=%1\n")
                  .arg(QString::fromStdString(DefaultLibrary())) +
              all;
    }
    file.write(all.toUtf8());
}

QString MainWindowTest::ReadSettings() const {
    QFile file(SettingsPath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

std::unique_ptr<TMainForm> MainWindowTest::Open() {
    auto form = std::make_unique<TMainForm>();
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return form;
}

void MainWindowTest::Close(std::unique_ptr<TMainForm>& form) {
    form->close();
    form.reset();
}

uint32_t MainWindowTest::BufferFrequency(const TMainForm& form) {
    uint32_t rate = 0;
    if (form.SoundBuffer() && form.SoundBuffer()->BufferInterface())
        form.SoundBuffer()->BufferInterface()->GetFrequency(&rate);
    return rate;
}

int32_t MainWindowTest::BufferVolume(const TMainForm& form) {
    int32_t volume = 1;
    if (form.SoundBuffer() && form.SoundBuffer()->BufferInterface())
        form.SoundBuffer()->BufferInterface()->GetVolume(&volume);
    return volume;
}

int32_t MainWindowTest::BufferPan(const TMainForm& form) {
    int32_t pan = -1;
    if (form.SoundBuffer() && form.SoundBuffer()->BufferInterface())
        form.SoundBuffer()->BufferInterface()->GetPan(&pan);
    return pan;
}

bool MainWindowTest::BufferPlaying(const TMainForm& form) {
    uint32_t status = 0;
    if (form.SoundBuffer() && form.SoundBuffer()->BufferInterface())
        form.SoundBuffer()->BufferInterface()->GetStatus(&status);
    return (status & DSBSTATUS_PLAYING) != 0;
}

void MainWindowTest::ClickKnob(TASSwitcher& knob) {
    QTest::mouseClick(&knob, Qt::LeftButton, {}, knob.rect().center());
}

QByteArray MainWindowTest::Pixels(TDIB& dib) {
    QByteArray bytes;
    for (int y = 0; y < dib.Height(); ++y)
        bytes.append(reinterpret_cast<const char*>(dib.ScanLine(y)), dib.Width());
    return bytes;
}

QByteArray MainWindowTest::LibraryPixels(const TMainForm& form) {
    TDIB copy;
    copy.AssignFrom(form.SourcePicture());
    return Pixels(copy);
}
