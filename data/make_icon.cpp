// Writes the program's icon as a PNG file: make_icon OUT.png SIZE
#include "app/AppIcon.h"

#include <QImage>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUT.png SIZE\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[2]);
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "%s: size must be between 16 and 1024\n", argv[0]);
        return 2;
    }
    if (!MakeAppIcon(size).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
