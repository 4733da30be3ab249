// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppIcon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>
#include <iterator>

namespace {

// The drawing as parts of the icon's size, shared by the painted and the scalable form.
constexpr qreal kRimRadius = 0.47;
constexpr qreal kGlowRadius = 0.92 * kRimRadius;
constexpr int kRings = 4;
constexpr qreal kRingSpacing = kGlowRadius / 4.5;
constexpr qreal kRingWidth = 1.0 / 64;
constexpr int kRingAlpha = 70;
// Olive rim, the colour of the main window.
constexpr QRgb kRim = 0x808000;
// Bands of colour from the centre outwards, as a cycling palette shows them.
constexpr QRgb kGlow[] = {0xfffad2, 0xffc428, 0xe6501e, 0x8c1e78, 0x283caa, 0x1496a0, 0x78c83c};
constexpr int kGlowStops = static_cast<int>(std::size(kGlow));

qreal GlowStop(int i) {
    return qreal(i) / (kGlowStops - 1);
}

} // namespace

QImage MakeAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(size / 2.0, size / 2.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kRim));
    p.drawEllipse(centre, size * kRimRadius, size * kRimRadius);

    QRadialGradient glow(centre, size * kGlowRadius);
    for (int i = 0; i < kGlowStops; ++i)
        glow.setColorAt(GlowStop(i), QColor(kGlow[i]));
    p.setBrush(glow);
    p.drawEllipse(centre, size * kGlowRadius, size * kGlowRadius);

    // Thin dark rings give the pulse its rhythm.
    QPen ring(QColor(0, 0, 0, kRingAlpha));
    ring.setWidthF(qMax<qreal>(1.0, size * kRingWidth));
    p.setPen(ring);
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= kRings; ++i)
        p.drawEllipse(centre, size * kRingSpacing * i, size * kRingSpacing * i);
    p.end();
    return image;
}

QByteArray AppIconSvg() {
    // Drawn on a 256-unit square; the numbers are the painted icon's at 256 pixels.
    constexpr qreal size = 256;
    const auto num = [](qreal value) { return QByteArray::number(value, 'g', 6); };
    const auto colour = [](QRgb rgb) { return QColor(rgb).name().toLatin1(); };
    const QByteArray c = num(size / 2);
    const auto circle = [&](qreal radius, const QByteArray& attributes) {
        return "  <circle cx=\"" + c + "\" cy=\"" + c + "\" r=\"" + num(size * radius) + "\"" +
               attributes + "/>\n";
    };

    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                     "viewBox=\"0 0 256 256\">\n"
                     "  <defs>\n"
                     "    <radialGradient id=\"glow\" gradientUnits=\"userSpaceOnUse\" cx=\"" +
                     c + "\" cy=\"" + c + "\" r=\"" + num(size * kGlowRadius) + "\">\n";
    for (int i = 0; i < kGlowStops; ++i)
        svg += "      <stop offset=\"" + num(GlowStop(i)) + "\" stop-color=\"" + colour(kGlow[i]) +
               "\"/>\n";
    svg += "    </radialGradient>\n  </defs>\n";
    svg += circle(kRimRadius, " fill=\"" + colour(kRim) + "\"");
    svg += circle(kGlowRadius, " fill=\"url(#glow)\"");
    svg += "  <g fill=\"none\" stroke=\"#000000\" stroke-opacity=\"" + num(kRingAlpha / 255.0) +
           "\" stroke-width=\"" + num(size * kRingWidth) + "\">\n";
    for (int i = 1; i <= kRings; ++i)
        svg += "  " + circle(kRingSpacing * i, {});
    svg += "  </g>\n</svg>\n";
    return svg;
}

void SetProgramIcon() {
    QGuiApplication::setWindowIcon(QIcon(QPixmap::fromImage(MakeAppIcon(64))));
}
