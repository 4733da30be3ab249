#include "app/AppIcon.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

QImage MakeAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(size / 2.0, size / 2.0);
    const qreal radius = size * 0.47;

    // Olive rim, the colour of the main window.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 128, 0));
    p.drawEllipse(centre, radius, radius);

    // Bands of colour from the centre outwards, as a cycling palette shows them.
    QRadialGradient glow(centre, radius * 0.92);
    const QColor stops[] = {QColor(255, 250, 210), QColor(255, 196, 40), QColor(230, 80, 30),
                            QColor(140, 30, 120),  QColor(40, 60, 170),  QColor(20, 150, 160),
                            QColor(120, 200, 60)};
    const int count = static_cast<int>(std::size(stops));
    for (int i = 0; i < count; ++i)
        glow.setColorAt(qreal(i) / (count - 1), stops[i]);
    p.setBrush(glow);
    p.drawEllipse(centre, radius * 0.92, radius * 0.92);

    // Thin dark rings give the pulse its rhythm.
    QPen ring(QColor(0, 0, 0, 70));
    ring.setWidthF(qMax<qreal>(1.0, size / 64.0));
    p.setPen(ring);
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 4; ++i) {
        const qreal r = radius * 0.92 * i / 4.5;
        p.drawEllipse(centre, r, r);
    }
    p.end();
    return image;
}

void SetProgramIcon() {
    QGuiApplication::setWindowIcon(QIcon(QPixmap::fromImage(MakeAppIcon(64))));
}
