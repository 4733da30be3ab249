// SPDX-License-Identifier: GPL-3.0-or-later
// Restores a window's placement and stored properties from an arbitrary settings file, then
// saves them back, on a window whose controls cover every stored kind: Boolean, integer,
// floating, text and enumeration.
#include "app/Placemnt.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

struct Environment {
    Environment() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        QDir().mkpath(dir.path() + "/velmora");
        app = std::make_unique<QApplication>(argc, argv);
    }
    QString FilePath() const { return dir.path() + "/velmora/Fuzz.ini"; }

    QTemporaryDir dir;
    int argc = 1;
    char name[16] = "fuzz";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<QApplication> app;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Environment env;
    {
        QFile file(env.FilePath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    QWidget window;
    auto* check = new QCheckBox(&window);
    check->setObjectName("DivCheck");
    auto* spin = new QSpinBox(&window);
    spin->setObjectName("RxSlider1");
    spin->setRange(1, 250);
    auto* number = new QDoubleSpinBox(&window);
    number->setObjectName("FreqEdit");
    auto* edit = new QLineEdit(&window);
    edit->setObjectName("Title");
    auto* storage = new TFormStorage(&window);
    storage->SetIniFileName("Fuzz.ini");
    storage->SetIniSection("Fuzz");
    storage->SetOptions(fpState | fpPosition | fpActiveControl);
    TWinMinMaxInfo info;
    info.MinTrackWidth = 576;
    info.MinTrackHeight = 152;
    storage->SetMinMaxInfo(info);
    storage->SetStoredProps({"DivCheck.Checked", "RxSlider1.Value", "FreqEdit.Value", "Title.Text",
                             "Title.LayoutDirection", "Bad", "Missing.Value"});
    try {
        storage->RestoreFormPlacement();
        // Saving syncs every key to the disk; doing it for one input in eight keeps the
        // restore, where the file's text is parsed, at a useful speed.
        if (size % 8 == 0) storage->SaveFormPlacement();
    } catch (const std::exception&) {
        // A refused write is a reported failure, not a fault.
    }
    return 0;
}
