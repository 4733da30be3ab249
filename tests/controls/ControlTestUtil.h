// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the control tests: an olive parent like the main window's panel, and
// pictures of the controls saved into the build tree for a look.

#include <QDir>
#include <QImage>
#include <QWidget>

#include <string>

inline const QColor kOlive(128, 128, 0);

// A shown, olive top-level window to hold a control under test.
class TTestPanel : public QWidget {
public:
    TTestPanel() {
        QPalette p = palette();
        p.setColor(QPalette::Window, kOlive);
        setPalette(p);
        resize(300, 300);
    }
};

inline QImage Shot(QWidget& widget, const std::string& name) {
    QImage image = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QString dir = QStringLiteral(VELMORA_BINARY_DIR "/controls-shots");
    QDir().mkpath(dir);
    image.save(dir + QLatin1Char('/') + QString::fromStdString(name) + QStringLiteral(".png"));
    return image;
}

inline bool SameRgb(QRgb a, const QColor& b) {
    return qRed(a) == b.red() && qGreen(a) == b.green() && qBlue(a) == b.blue();
}
