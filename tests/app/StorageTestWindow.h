// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small window for the settings component tests: two check boxes, an integer, a floating
// and a text property on plain objects, a timer-like object whose property differs in case
// from its stored name, all found by name like the main window's controls. Each test runs in
// its own configuration directory.

#include "app/Placemnt.h"
#include "common/CapturedReports.h"
#include "framework/Application.h"
#include "framework/IniFiles.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

class TIntHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE SetValue)
public:
    using QObject::QObject;
    int Value() const { return value; }
    void SetValue(int v) {
        ++writes;
        value = v;
    }
    int value = 70;
    int writes = 0;
};

class TFloatHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(double Value READ Value WRITE SetValue)
public:
    using QObject::QObject;
    double Value() const { return value; }
    void SetValue(double v) { value = v; }
    double value = 7.0;
};

// Holds the full extended precision that a double property would lose.
class TExtendedHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(long double Value READ Value WRITE SetValue)
public:
    using QObject::QObject;
    long double Value() const { return value; }
    void SetValue(long double v) { value = v; }
    long double value = 7.0L;
};

class TTextHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    using QObject::QObject;
    QString Caption() const { return caption; }
    void SetCaption(const QString& v) { caption = v; }
    QString caption;
};

// Its Qt property is spelled "interval"; the stored name is "Interval".
class TTimerLike : public QObject {
    Q_OBJECT
    Q_PROPERTY(unsigned short interval READ interval WRITE setInterval)
public:
    using QObject::QObject;
    unsigned short interval() const { return value; }
    void setInterval(unsigned short v) { value = v; }
    unsigned short value = 37;
};

// A property whose setter fails, standing for a change handler that fails.
class TFailingHolder : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE SetValue)
public:
    using QObject::QObject;
    int Value() const { return 5; }
    void SetValue(int) { throw std::runtime_error("handler failed"); }
};

class TStorageTestForm : public QWidget {
    Q_OBJECT
public:
    TStorageTestForm() {
        setObjectName("StorageTestForm");
        DivCheck = new QCheckBox(this);
        DivCheck->setObjectName("DivCheck");
        Half = new QCheckBox(this);
        Half->setObjectName("Half");
        auto* panel = new QWidget(this); // controls sit in panels in the real window
        RxSlider1 = new TIntHolder(panel);
        RxSlider1->setObjectName("RxSlider1");
        FreqEdit = new TFloatHolder(this);
        FreqEdit->setObjectName("FreqEdit");
        Title = new TTextHolder(this);
        Title->setObjectName("Title");
        Timer1 = new TTimerLike(this);
        Timer1->setObjectName("Timer1");
        Storage = new TFormStorage(this);
        Storage->setObjectName("FormStorage1");
        Storage->SetIniFileName("Zandrel.ini");
        Storage->SetStoredProps({"DivCheck.Checked", "FreqEdit.Value", "RxSlider1.Value",
                                 "Timer1.Interval", "Title.Caption", "Half.Checked"});
        resize(600, 400);
    }
    ~TStorageTestForm() override { Storage->WindowDestroying(); }

    QCheckBox* DivCheck;
    QCheckBox* Half;
    TIntHolder* RxSlider1;
    TFloatHolder* FreqEdit;
    TTextHolder* Title;
    TTimerLike* Timer1;
    TFormStorage* Storage;

    bool refuseClose = false;
    bool sawRestoredOnShow = false;

protected:
    void showEvent(QShowEvent*) override { sawRestoredOnShow = Storage->Restored(); }
    void closeEvent(QCloseEvent* event) override {
        if (refuseClose) event->ignore();
    }
};

// A configuration directory of the test's own and a recorder for the default error report.
class SettingsDirTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", oldConfig); }

    QString FilePath() const { return dir.path() + "/velmora/Zandrel.ini"; }
    std::string Read(const std::string& key, const std::string& section = "TStorageTestForm") {
        return TIniFile("Zandrel.ini").ReadString(section, key, "<none>");
    }
    void Write(const std::string& key, const std::string& value,
               const std::string& section = "TStorageTestForm") {
        TIniFile("Zandrel.ini").WriteString(section, key, value);
    }
    QString RawFile() const {
        QFile file(FilePath());
        if (!file.open(QIODevice::ReadOnly)) return QString();
        return QString::fromUtf8(file.readAll());
    }

    QTemporaryDir dir;
    QByteArray oldConfig;
    CapturedReports captured;
    std::vector<std::string>& messages = captured.messages;
};
