// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window in a temporary configuration directory, with the sound output rendering
// offline and failures recorded instead of shown.

#include "app/main.h"
#include "common/CapturedReports.h"
#include "framework/Application.h"

#include <QApplication>
#include <QByteArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class TASSwitcher;
class TDIB;

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The library built beside the program.
    static std::string DefaultLibrary();
    QString SettingsPath() const;
    // Writes the settings file; "LibrName" names the default library unless text names one.
    void WriteSettings(const QString& text, bool withLibrary = true);
    QString ReadSettings() const;

    // Creates the window and shows it, which restores the stored settings.
    std::unique_ptr<TMainForm> Open();
    // Asks the window to close, as its close button does, then destroys it.
    static void Close(std::unique_ptr<TMainForm>& form);

    static uint32_t BufferFrequency(const TMainForm& form);
    static int32_t BufferVolume(const TMainForm& form);
    static int32_t BufferPan(const TMainForm& form);
    static bool BufferPlaying(const TMainForm& form);
    static void ClickKnob(TASSwitcher& knob);
    // The pixel bytes of a picture, row after row.
    static QByteArray Pixels(TDIB& dib);
    // The pixel bytes of the last library picture.
    static QByteArray LibraryPixels(const TMainForm& form);

    QTemporaryDir config;
    CapturedReports captured;
    std::vector<std::string>& messages = captured.messages;

private:
    QByteArray previousConfigHome_;
    QByteArray previousDataHome_;
};
