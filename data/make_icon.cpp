// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon: make_icon OUT.png SIZE, or make_icon OUT.svg for the scalable form.
#include "app/AppIcon.h"

#include <QFile>
#include <QImage>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const QString out = argc >= 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    const bool svg = argc == 2 && out.endsWith(QLatin1String(".svg"));
    if (argc != 3 && !svg) {
        std::fprintf(stderr, "usage: %s OUT.png SIZE | %s OUT.svg\n", argv[0], argv[0]);
        return 2;
    }
    if (svg) {
        QFile file(out);
        const QByteArray text = AppIconSvg();
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
            return 1;
        }
        return 0;
    }
    const int size = std::atoi(argv[2]);
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "%s: size must be between 16 and 1024\n", argv[0]);
        return 2;
    }
    if (!MakeAppIcon(size).save(out, "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
