// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QWidget>

#include "design/design.h"
#include "ui/qt_text.h"

namespace ui {
namespace {

// A family offered by more than one foundry is listed as "Family [Foundry]".
bool Installed(const QStringList& families, const QString& family) {
    const QString withFoundry = family + QStringLiteral(" [");
    for (const QString& f : families)
        if (f.compare(family, Qt::CaseInsensitive) == 0 ||
            f.startsWith(withFoundry, Qt::CaseInsensitive))
            return true;
    return false;
}

}  // namespace

QFont DesignFont() {
    const QStringList families = QFontDatabase::families();
    QString family = Q(design::kFontFamily);
    if (!Installed(families, family)) {
        const QString standIn = Q(design::kFontStandIn);
        family = Installed(families, standIn) ? standIn : QFontInfo(QFont(family)).family();
    }
    QFont font(family, design::kFontPointSize, QFont::Normal, false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

ApplicationFontScope::ApplicationFontScope(const QFont& font) : saved_(QGuiApplication::font()) {
    // Not QApplication::setFont: that would also drop the platform's fonts
    // for menus and message boxes.
    QGuiApplication::setFont(font);
}

ApplicationFontScope::~ApplicationFontScope() { QGuiApplication::setFont(saved_); }

void FitCaption(QWidget& control) {
    const auto fits = [&control] {
        // A label's size hint lays its text out three times; one measure
        // of the text against the label's room says the same. A pixel is
        // kept clear at either end, where a centred caption that filled its
        // room would touch the face's edge.
        if (const auto* label = qobject_cast<const QLabel*>(&control)) {
            const QFontMetrics metrics(label->font());
            const QRect room = label->contentsRect();
            return metrics.horizontalAdvance(label->text()) + 2 <= room.width() &&
                   metrics.height() <= room.height();
        }
        const QSize hint = control.sizeHint();
        return hint.width() <= control.width() && hint.height() <= control.height();
    };
    if (fits()) return;
    QFont font = control.font();
    for (qreal size = font.pointSizeF() - design::kCaptionShrinkStep;
         size >= design::kSmallestCaptionPointSize; size -= design::kCaptionShrinkStep) {
        font.setPointSizeF(size);
        control.setFont(font);
        if (fits()) return;
    }
}

}  // namespace ui
