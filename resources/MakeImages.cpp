// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's own pictures and cursor into a directory: the Start/Stop buttons,
// the slider's thumbs and rulers, and the hand cursor. Run at build time; the results are
// compiled into the program as Qt resources.
//
// Pictures with a transparent part hold a key colour there, and their bottom-left pixel
// always holds that key, since the controls take the transparent colour from that pixel.
// Soft edges are blended against olive, the background the controls sit on.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <cstdio>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace {

const QColor kKey(255, 0, 255);
const QColor kOlive(128, 128, 0);

// A picture drawn from a character grid, one character a pixel.
QImage FromGrid(const std::vector<std::string>& rows) {
    static const std::map<char, QColor> colours = {
        {'k', kKey},
        {'w', QColor(255, 255, 255)},
        {'l', QColor(223, 223, 223)},
        {'s', QColor(192, 192, 192)},
        {'g', QColor(128, 128, 128)},
        {'b', QColor(0, 0, 0)},
        {'o', QColor(160, 160, 40)},
    };
    const int h = static_cast<int>(rows.size());
    const int w = static_cast<int>(rows.front().size());
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            char c = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
            if (c == 'd') { // pressed face: a checker of white and silver
                c = ((x + y) % 2 == 0) ? 'w' : 's';
            }
            image.setPixelColor(x, y, colours.at(c));
        }
    }
    return image;
}

QImage Transposed(const QImage& source) {
    QImage result(source.height(), source.width(), source.format());
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            result.setPixel(y, x, source.pixel(x, y));
        }
    }
    return result;
}

// A thumb 9 pixels wide pointing down, with a body of bodyRows rows and the given face;
// pressed cells have a checkered face.
std::vector<std::string> ThumbGrid(int bodyRows, bool pressed, char face = 's') {
    const char f = pressed ? 'd' : face;
    std::vector<std::string> rows;
    rows.push_back("wwwwwwwwb");
    for (int i = 1; i < bodyRows; ++i) {
        rows.push_back(std::string("w") + (i == 1 && !pressed ? 'l' : f) + std::string(5, f) +
                       "gb");
    }
    rows.push_back(std::string("kw") + std::string(4, f) + "gbk");
    rows.push_back(std::string("kkw") + std::string(2, f) + "gbkk");
    rows.push_back("kkkwgbkkk");
    rows.push_back("kkkkbkkkk");
    return rows;
}

QImage ThumbPair(int bodyRows, char face = 's') {
    QImage normal = FromGrid(ThumbGrid(bodyRows, false, face));
    QImage pressed = FromGrid(ThumbGrid(bodyRows, true));
    QImage pair(normal.width() * 2, normal.height(), QImage::Format_RGB32);
    QPainter p(&pair);
    p.drawImage(0, 0, normal);
    p.drawImage(normal.width(), 0, pressed);
    return pair;
}

// A sunken groove of four rows inside an eight-row strip; two end columns on each side.
const std::vector<std::string> kRulerGrid = {
    "kkkkkkkkkk", "kkkkkkkkkk", "gggggggggw", "gbbbbbbbsw",
    "gbsssssssw", "wwwwwwwwww", "kkkkkkkkkk", "kkkkkkkkkk",
};

// Blends every soft pixel against olive and turns the untouched ones into the key colour.
QImage FlattenOnOlive(const QImage& argb) {
    QImage out(argb.size(), QImage::Format_RGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QColor c = argb.pixelColor(x, y);
            if (c.alpha() == 0) {
                out.setPixelColor(x, y, kKey);
                continue;
            }
            const double a = c.alphaF();
            auto mix = [a](int fg, int bg) {
                return static_cast<int>(fg * a + bg * (1 - a) + 0.5);
            };
            out.setPixelColor(x, y,
                              QColor(mix(c.red(), kOlive.red()), mix(c.green(), kOlive.green()),
                                     mix(c.blue(), kOlive.blue())));
        }
    }
    // Corners are always outside the round button, but make the key pixel certain.
    out.setPixelColor(0, out.height() - 1, kKey);
    return out;
}

QColor Lighter(const QColor& c, bool hover) {
    if (!hover) {
        return c;
    }
    auto up = [](int v) { return v + (255 - v) * 22 / 100; };
    return QColor(up(c.red()), up(c.green()), up(c.blue()));
}

// A round 60 x 60 button: a metal bezel, a coloured glossy face and a white symbol.
QImage RoundButton(bool play, bool hover) {
    QImage image(60, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(30, 30);

    QLinearGradient bezel(8, 4, 52, 56);
    bezel.setColorAt(0, Lighter(QColor(236, 236, 228), hover));
    bezel.setColorAt(0.5, Lighter(QColor(150, 150, 140), hover));
    bezel.setColorAt(1, Lighter(QColor(58, 58, 50), hover));
    p.setPen(QPen(QColor(30, 30, 24), 1));
    p.setBrush(bezel);
    p.drawEllipse(c, 28.5, 28.5);

    QLinearGradient groove(52, 56, 8, 4);
    groove.setColorAt(0, Lighter(QColor(230, 230, 222), hover));
    groove.setColorAt(1, Lighter(QColor(70, 70, 62), hover));
    p.setPen(Qt::NoPen);
    p.setBrush(groove);
    p.drawEllipse(c, 24.5, 24.5);

    const QColor rim = play ? QColor(18, 96, 36) : QColor(128, 18, 18);
    const QColor mid = play ? QColor(40, 158, 62) : QColor(196, 40, 34);
    const QColor glow = play ? QColor(138, 226, 140) : QColor(250, 140, 120);
    QRadialGradient face(QPointF(26, 24), 26);
    face.setColorAt(0, Lighter(glow, hover));
    face.setColorAt(0.55, Lighter(mid, hover));
    face.setColorAt(1, Lighter(rim, hover));
    p.setBrush(face);
    p.drawEllipse(c, 22.5, 22.5);

    QLinearGradient gloss(0, 9, 0, 30);
    gloss.setColorAt(0, QColor(255, 255, 255, hover ? 170 : 140));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawEllipse(QRectF(14, 9, 32, 20));

    QPainterPath symbol;
    if (play) {
        symbol.moveTo(24, 18);
        symbol.lineTo(42, 30);
        symbol.lineTo(24, 42);
        symbol.closeSubpath();
    } else {
        symbol.addRoundedRect(QRectF(21, 21, 18, 18), 2.5, 2.5);
    }
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(symbol.translated(1.2, 1.2));
    p.setBrush(QColor(255, 255, 255));
    p.setPen(QPen(QColor(255, 255, 255, 200), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(symbol);
    p.end();
    return FlattenOnOlive(image);
}

// A pointing hand, 32 x 32, fingertip at (13, 1); transparent around it.
QImage HandCursor() {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(10.5, 1.5, 5, 16), 2.5, 2.5);
    hand.addRoundedRect(QRectF(15.5, 9.5, 4.5, 9), 2.2, 2.2);
    hand.addRoundedRect(QRectF(20, 10.5, 4.5, 8.5), 2.2, 2.2);
    hand.addRoundedRect(QRectF(24.5, 12, 4, 7.5), 2, 2);
    hand.addRoundedRect(QRectF(10.5, 14, 18, 14), 4, 4);
    QPainterPath thumb;
    thumb.moveTo(12, 24);
    thumb.lineTo(4.5, 17);
    thumb.quadTo(5, 13.5, 8.5, 15);
    thumb.lineTo(12.5, 18);
    thumb.closeSubpath();
    hand = hand.united(thumb).simplified();
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(15.8, 12), QPointF(15.8, 17));
    p.drawLine(QPointF(20.2, 12.5), QPointF(20.2, 17.5));
    p.drawLine(QPointF(24.6, 14), QPointF(24.6, 18));
    p.end();
    return image;
}

bool Save(const QImage& image, const QString& dir, const char* name) {
    const QString path = dir + QLatin1Char('/') + QLatin1String(name);
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const QImage ruler = FromGrid(kRulerGrid);
    bool ok = true;
    ok &= Save(RoundButton(true, false), dir, "Startup.bmp");
    ok &= Save(RoundButton(true, true), dir, "Startover.bmp");
    ok &= Save(RoundButton(false, false), dir, "Stopup.bmp");
    ok &= Save(RoundButton(false, true), dir, "Stopover.bmp");
    ok &= Save(ThumbPair(13), dir, "W95_HTB.bmp");
    // The main window's frequency slider has a thumb of its own, with an olive face.
    ok &= Save(ThumbPair(13, 'o'), dir, "FREQ_HTB.bmp");
    ok &= Save(ruler, dir, "W95_HRL.bmp");
    {
        // The vertical thumb: two 19 x 9 cells pointing right, side by side.
        const QImage normal = Transposed(FromGrid(ThumbGrid(15, false)));
        const QImage pressed = Transposed(FromGrid(ThumbGrid(15, true)));
        QImage pair(normal.width() * 2, normal.height(), QImage::Format_RGB32);
        QPainter p(&pair);
        p.drawImage(0, 0, normal);
        p.drawImage(normal.width(), 0, pressed);
        p.end();
        pair.setPixelColor(0, pair.height() - 1, kKey);
        ok &= Save(pair, dir, "W95_VTB.bmp");
    }
    ok &= Save(Transposed(ruler), dir, "W95_VRL.bmp");
    ok &= Save(HandCursor(), dir, "RX_HANDCUR.png");
    return ok ? 0 : 1;
}
