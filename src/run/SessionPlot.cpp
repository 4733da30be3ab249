// SPDX-License-Identifier: GPL-3.0-or-later
#include "run/SessionPlot.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QVector>

#include <algorithm>
#include <array>

namespace {

// The main bands where the frequency label changes band, a mixed zone ("Theta/Delta") counted
// with the band above it, so every stripe carries a name the label also shows.
struct TBand {
    int32_t FromMilli;
    const char* Name;
};
constexpr std::array<TBand, 5> kBands = {{
    {0, QT_TRANSLATE_NOOP("RunParameters", "Delta")},
    {3900, QT_TRANSLATE_NOOP("RunParameters", "Theta")},
    {7700, QT_TRANSLATE_NOOP("RunParameters", "Alpha")},
    {13500, QT_TRANSLATE_NOOP("RunParameters", "Beta")},
    {23000, QT_TRANSLATE_NOOP("RunParameters", "High Beta")},
}};
constexpr QRgb kBandColours[2] = {0xFFEEF2F8, 0xFFE0E8F2};
constexpr QRgb kBackground = 0xFFFFFFFF;
constexpr QRgb kAxisColour = 0xFF505050;
constexpr QRgb kTextColour = 0xFF303030;
constexpr QRgb kGridColour = 0xFFC8D0DC;

constexpr int kLeft = 44, kRight = 24, kTop = 14, kBottom = 26;

// A round step that puts between four and ten ticks on the axis, 0:00 and the last whole step
// included, wherever whole seconds allow four (from 3 s).
int64_t TimeStep(int64_t lengthMs) {
    // Neighbouring steps differ at most 2.5 times: the first that leaves ten ticks or fewer
    // (0 counted) then leaves at least five wherever the length allows four. The longest,
    // twelve hours, puts nine on the longest session a file can hold (99:59:59).
    static constexpr int64_t kSecond = 1000, kMinute = 60 * kSecond, kHour = 60 * kMinute;
    static constexpr int64_t steps[] = {
        kSecond, 2 * kSecond, 5 * kSecond, 10 * kSecond, 15 * kSecond, 30 * kSecond,
        kMinute, 2 * kMinute, 5 * kMinute, 10 * kMinute, 15 * kMinute, 30 * kMinute,
        kHour,   2 * kHour,   3 * kHour,   6 * kHour,    12 * kHour};
    for (int64_t step : steps)
        if (std::max<int64_t>(lengthMs, 0) / step + 1 <= 10) return step;
    return steps[std::size(steps) - 1];
}

} // namespace

TSessionPlot::TSessionPlot(const TSession& session) : session_(session) {
    int32_t highest = 0;
    for (const TSessionPoint& p : session.Points())
        highest = std::max(highest, p.FrequencyMilli);
    // A whole 5 Hz above the highest point, so the curve never runs along the top edge.
    topMilli_ = std::min<int32_t>((highest / 5000 + 1) * 5000, 35000);
}

QRect TSessionPlot::CurveArea(const QRect& rect) const {
    return rect.adjusted(kLeft, kTop, -kRight, -kBottom);
}

QPointF TSessionPlot::PointAt(const QRect& rect, int64_t ms, int32_t milli) const {
    const QRect area = CurveArea(rect);
    const double length = static_cast<double>(std::max<int64_t>(session_.LengthMs(), 1));
    const double x = area.left() + static_cast<double>(ms) / length * area.width();
    const double y = area.bottom() + 1 - static_cast<double>(milli) / topMilli_ * area.height();
    return {x, y};
}

int64_t TSessionPlot::TimeAt(const QRect& rect, double x) const {
    const QRect area = CurveArea(rect);
    if (area.width() <= 0) return 0;
    const double share = std::clamp((x - area.left()) / area.width(), 0.0, 1.0);
    return static_cast<int64_t>(share * static_cast<double>(session_.LengthMs()) + 0.5);
}

void TSessionPlot::Draw(QPainter& painter, const QRect& rect, int64_t cursorMs) const {
    painter.save();
    painter.fillRect(rect, QColor::fromRgb(kBackground));
    const QRect area = CurveArea(rect);
    if (area.width() < 2 || area.height() < 2 || session_.Empty()) {
        painter.restore();
        return;
    }
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    const QFontMetrics metrics(font);

    // The bands, with their names at the left edge of each stripe that has room for one.
    for (size_t i = 0; i < kBands.size(); ++i) {
        const int32_t from = kBands[i].FromMilli;
        const int32_t to = i + 1 < kBands.size() ? kBands[i + 1].FromMilli : 35000;
        if (from >= topMilli_) break;
        const double yTop = PointAt(rect, 0, std::min(to, topMilli_)).y();
        const double yBottom = PointAt(rect, 0, from).y();
        const QRectF stripe(area.left(), yTop, area.width(), yBottom - yTop);
        painter.fillRect(stripe, QColor::fromRgb(kBandColours[i % 2]));
        if (stripe.height() >= metrics.height()) {
            painter.setPen(QColor::fromRgb(kTextColour));
            painter.drawText(stripe.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             QCoreApplication::translate("RunParameters", kBands[i].Name));
        }
    }

    // Frequency scale every 5 Hz, time scale in whole steps.
    painter.setPen(QColor::fromRgb(kGridColour));
    for (int32_t milli = 5000; milli < topMilli_; milli += 5000) {
        const double y = PointAt(rect, 0, milli).y();
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    painter.setPen(QColor::fromRgb(kTextColour));
    for (int32_t milli = 0; milli <= topMilli_; milli += 5000) {
        const double y = PointAt(rect, 0, milli).y();
        painter.drawText(QRectF(rect.left(), y - 8, kLeft - 6, 16),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("%1 Hz").arg(milli / 1000));
    }
    const int64_t step = TimeStep(session_.LengthMs());
    for (int64_t t = 0; t <= session_.LengthMs(); t += step) {
        const double x = PointAt(rect, t, 0).x();
        painter.setPen(QColor::fromRgb(kAxisColour));
        painter.drawLine(QPointF(x, area.bottom() + 1), QPointF(x, area.bottom() + 4));
        painter.setPen(QColor::fromRgb(kTextColour));
        painter.drawText(QRectF(x - 30, area.bottom() + 5, 60, kBottom - 6),
                         Qt::AlignHCenter | Qt::AlignTop,
                         QString::fromStdString(FormatSessionTime(t)));
    }
    painter.setPen(QColor::fromRgb(kAxisColour));
    painter.drawLine(area.bottomLeft() + QPoint(0, 1), area.bottomRight() + QPoint(0, 1));
    painter.drawLine(area.topLeft() - QPoint(1, 0), area.bottomLeft() - QPoint(1, -1));

    // The curve: straight from point to point, the first point's value before it. Drawn as
    // separate lines, not one path: a path of thousands of crossing segments takes the stroker
    // seconds. With more lines than columns a thin line without smoothing shows the same and
    // takes a fraction of the time.
    const auto& points = session_.Points();
    QVector<QLineF> lines;
    lines.reserve(static_cast<qsizetype>(points.size()));
    QPointF from = PointAt(rect, 0, points.front().FrequencyMilli);
    for (const TSessionPoint& p : points) {
        const QPointF to = PointAt(rect, p.TimeMs, p.FrequencyMilli);
        if (to != from) lines.append(QLineF(from, to));
        from = to;
    }
    const bool dense = lines.size() > area.width();
    painter.setClipRect(area.adjusted(-2, -2, 2, 2));
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    QPen pen(QColor::fromRgb(kCurveColour), dense ? 1.0 : 2.0, Qt::SolidLine, Qt::RoundCap,
             Qt::RoundJoin);
    pen.setCosmetic(dense);
    painter.setPen(pen);
    painter.drawLines(lines);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // A mark at either end of the curve lies half outside its area: whole, over the axis.
    painter.setClipRect(rect);

    // A diamond where a point turns knobs; where they crowd, one every few columns.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(kMarkColour));
    double lastMark = -1e9;
    for (const TSessionPoint& p : points) {
        const bool turns =
            std::any_of(p.Knobs.begin(), p.Knobs.end(), [](int16_t k) { return k != kKnobUnset; });
        if (!turns) continue;
        const QPointF c = PointAt(rect, p.TimeMs, p.FrequencyMilli);
        if (c.x() - lastMark < 4) continue;
        lastMark = c.x();
        painter.drawPolygon(QPolygonF(
            {c + QPointF(0, -5), c + QPointF(5, 0), c + QPointF(0, 5), c + QPointF(-5, 0)}));
    }
    painter.restore();
    if (cursorMs != kNoCursor) DrawCursor(painter, rect, cursorMs);
}

void TSessionPlot::DrawCursor(QPainter& painter, const QRect& rect, int64_t cursorMs) const {
    const QRect area = CurveArea(rect);
    if (area.width() < 2 || session_.Empty()) return;
    const int64_t ms = std::clamp<int64_t>(cursorMs, 0, session_.LengthMs());
    const double x = PointAt(rect, ms, 0).x();
    painter.save();
    painter.setPen(QPen(QColor::fromRgb(kCursorColour), 2.0));
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    painter.restore();
}

QImage TSessionPlot::Render(const QSize& size, int64_t cursorMs) const {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    Draw(painter, image.rect(), cursorMs);
    return image;
}
