// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/scale.h"

#include <QPainter>
#include <QPolygonF>

#include "ui/colours.h"
#include "ui/qt_text.h"

namespace ui {
namespace {

constexpr auto Px = design::ExactPixels;

// A shape of the design at x, mirrored when `mirror` is -1.
template <std::size_t N>
QPolygonF Shape(const std::array<design::Point, N>& points, double x, int mirror = 1) {
    QPolygonF polygon;
    for (const design::PixelPoint& p : design::InPixels(points, mirror))
        polygon << QPointF(x + p.x, p.y);
    return polygon;
}

}  // namespace

ScaleStrip::ScaleStrip(const std::string& separator, QWidget* parent)
    : QWidget(parent), strip_(design::StripAtStart(separator)) {
    setAccessibleName(Q(strip_.name));
}

void ScaleStrip::Show(const design::Strip& strip) {
    strip_ = strip;
    setAccessibleName(Q(strip_.name));
    update();
}

void ScaleStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bar(Px(design::kScaleInset), Px(design::kBarTop),
                     width() - 2 * Px(design::kScaleInset), Px(design::kBarHeight));
    const auto at = [&bar](double along) { return bar.left() + along * bar.width(); };
    const QColor ink = ToColor(design::kScaleInk);

    for (const design::Band& band : strip_.bands)
        painter.fillRect(
            QRectF(QPointF(at(band.from), bar.top()), QPointF(at(band.to), bar.bottom())),
            ToColor(band.colour));
    // The bar's edges, open at its ends, and each boundary with its label.
    painter.setPen(QPen(ink, Px(design::kBoundaryWidth), Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(bar.topLeft(), bar.topRight());
    painter.drawLine(bar.bottomLeft(), bar.bottomRight());
    const QRectF labels(0, Px(design::kScaleLabelTop), width(), Px(design::kScaleLabelHeight));
    for (const design::Boundary& boundary : strip_.boundaries) {
        const double x = at(boundary.at);
        painter.drawLine(QPointF(x, bar.top()), QPointF(x, bar.bottom()));
        const QRectF room(x - labels.height() * 2, labels.top(), labels.height() * 4,
                          labels.height());
        painter.drawText(room, Qt::AlignCenter, Q(boundary.label));
    }

    // The marks: a stem across the bar and a head, the desired weight's
    // hollow and its stem dashed; beyond an end, a sign pointing away.
    const auto mark = [&](const design::ScalePlace& place, const auto& head, const QColor& fill,
                          bool dashed) {
        const double x = at(place.along);
        QPen stem(ink, Px(design::kStemWidth), Qt::SolidLine, Qt::FlatCap);
        // Qt counts dashes in pen widths.
        if (dashed)
            stem.setDashPattern({double(design::kDesiredStemDash[0]) / design::kStemWidth,
                                 double(design::kDesiredStemDash[1]) / design::kStemWidth});
        painter.setPen(stem);
        painter.drawLine(QPointF(x, bar.top()), QPointF(x, bar.bottom()));
        painter.setPen(QPen(ink, Px(design::kBoundaryWidth)));
        painter.setBrush(fill);
        painter.drawPolygon(Shape(head, x));
        if (place.beyond != 0) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(ink, Px(design::kStemWidth), Qt::SolidLine, Qt::FlatCap));
            painter.drawPolyline(Shape(design::kBeyondSign, x, -place.beyond));
        }
    };
    if (strip_.desired)
        mark(*strip_.desired, design::kDesiredHead, ToColor(design::kHollowMark), true);
    if (strip_.standing) mark(*strip_.standing, design::kStandingHead, ink, false);
}

}  // namespace ui
