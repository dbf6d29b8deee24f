// SPDX-License-Identifier: GPL-3.0-or-later
// The window as a user sees it under other desktop settings: every caption
// readable on its coloured face under a light or dark theme, in an active,
// inactive or disabled window, and drawn whole whatever font the system
// resolves. CTest runs it again under another style and with only the DejaVu
// fonts, telling it by environment what it should find there.
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>
#include <array>
#include <memory>

#include "design/design.h"
#include "tests/support/contrast.h"
#include "tests/ui/controls.h"
#include "ui/colours.h"
#include "ui/orlaven.h"

using testing_support::ColumnHasInk;
using testing_support::ContrastRatio;
using testing_support::DesignName;
using testing_support::kMinimumContrast;
using testing_support::kMinimumNonTextContrast;
using testing_support::MeasureText;
using ui::Q;

namespace {

QColor Face(const design::ControlDesign& d) {
    return QColor(d.colour->red, d.colour->green, d.colour->blue);
}

// Where a control draws its caption, in the window's coordinates, and
// whether the caption is centred (so a cut would show at both ends).
struct CaptionRoom {
    QRect rect;
    bool centred;
};

CaptionRoom RoomOf(QWidget* w) {
    const QRect g = w->geometry();
    if (auto* option = qobject_cast<QRadioButton*>(w)) {
        QStyleOptionButton o;
        o.initFrom(option);
        o.text = option->text();
        const QRect contents =
            option->style()->subElementRect(QStyle::SE_RadioButtonContents, &o, option);
        return {contents.translated(g.topLeft()) & g, false};
    }
    if (qobject_cast<QPushButton*>(w)) return {g.adjusted(3, 2, -3, -2), true};  // inside the edge
    return {g, true};
}

// What a desktop theme hands the application: faces, boxes, and a text
// colour a colour group, greyed for inactive and disabled windows as
// themes do.
QPalette Theme(const QColor& button, const QColor& window, const QColor& base,
               const std::array<QColor, 3>& text) {
    QPalette p(button, window);
    p.setColor(QPalette::Base, base);
    const QPalette::ColorGroup groups[] = {QPalette::Active, QPalette::Inactive,
                                           QPalette::Disabled};
    for (int g = 0; g < 3; ++g)
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            p.setColor(groups[g], role, text[g]);
    return p;
}

// Light text on dark faces.
QPalette DarkTheme() {
    return Theme(QColor(0x35, 0x35, 0x35), QColor(0x24, 0x24, 0x24), QColor(0x2d, 0x2d, 0x2d),
                 {QColor(0xee, 0xee, 0xee), QColor(0xc0, 0xc0, 0xc0), QColor(0x80, 0x80, 0x80)});
}

// A light theme whose inactive window greys its text: still readable on its
// own white boxes, not on the window's coloured faces.
QPalette GreyingLightTheme() {
    return Theme(QColor(0xef, 0xef, 0xef), QColor(0xf6, 0xf5, 0xf4), Qt::white,
                 {QColor(0x2e, 0x34, 0x36), QColor(0x76, 0x76, 0x76), QColor(0xc0, 0xc0, 0xc0)});
}

enum class State { Active, Inactive, Disabled };

}  // namespace

Q_DECLARE_METATYPE(State)

class AppearanceTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ui::Orlaven> window;
    std::unique_ptr<QWidget> other;  // takes the activation away
    QPalette systemPalette;

    QWidget* Control(const design::ControlDesign& d) const {
        return testing_support::Find(*window, DesignName(d));
    }

    // Built after the application palette is set, as at start-up, with the
    // Borngard method chosen and a report made: its mark shows, and so does
    // every caption, the scale's marks and the range line.
    void Build(const QPalette& theme, State state) {
        QApplication::setPalette(theme);
        window = std::make_unique<ui::Orlaven>(QStringLiteral("."), nullptr);
        window->findChild<QRadioButton*>(QStringLiteral("Option1(3)"))->setChecked(true);
        for (const auto& [box, text] :
             {std::pair("Text2(0)", "170"), {"Text2(1)", "72"}, {"Text2(2)", "90"}})
            window->findChild<QLineEdit*>(QString::fromLatin1(box))
                ->setText(QString::fromLatin1(text));
        window->findChild<QPushButton*>(QStringLiteral("Command1(0)"))->click();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        if (state == State::Inactive) {
            other = std::make_unique<QWidget>();
            other->show();
            other->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(other.get()));
            QVERIFY(!window->isActiveWindow());
        }
        if (state == State::Disabled) window->setEnabled(false);
    }

private slots:
    void initTestCase() { systemPalette = QApplication::palette(); }
    void cleanup() {
        window.reset();
        other.reset();
        QApplication::setPalette(systemPalette);
    }

    // Run by CTest in each environment with what that environment is: a
    // run that silently got another style or font would prove nothing.
    void environmentIsTheIntendedOne() {
        const QString style = qEnvironmentVariable("EXPECTED_STYLE");
        if (!style.isEmpty()) QCOMPARE(QApplication::style()->name().toLower(), style.toLower());
        const QString family = qEnvironmentVariable("EXPECTED_FAMILY");
        if (family.isEmpty()) return;
        QProcess match;
        match.start(QStringLiteral("fc-match"),
                    {QStringLiteral("-f"), QStringLiteral("%{family[0]}"), Q(design::kFontFamily)});
        QVERIFY2(match.waitForFinished(10000), "fc-match did not run");
        QCOMPARE(QString::fromUtf8(match.readAllStandardOutput()), family);
        // Set as an installed family, so no widget searches again.
        const QFont font = ui::Orlaven(QStringLiteral("."), nullptr).font();
        QCOMPARE(font.family(), family);
        QCOMPARE(QFontInfo(font).family(), family);
        // Besides the generic names Qt always lists.
        const QString only = qEnvironmentVariable("EXPECTED_ONLY_FAMILIES");
        const QStringList generic{"Monospace", "Sans Serif", "Serif"};
        if (!only.isEmpty())
            for (const QString& f : QFontDatabase::families())
                QVERIFY2(f.startsWith(only) || generic.contains(f), qPrintable(f));
    }

    void captionsStandOutFromTheirFaces_data() {
        QTest::addColumn<QPalette>("theme");
        QTest::addColumn<State>("state");
        QTest::newRow("system, active") << QApplication::palette() << State::Active;
        QTest::newRow("system, inactive") << QApplication::palette() << State::Inactive;
        QTest::newRow("dark, active") << DarkTheme() << State::Active;
        QTest::newRow("dark, inactive") << DarkTheme() << State::Inactive;
        QTest::newRow("dark, disabled") << DarkTheme() << State::Disabled;
        QTest::newRow("greying light, inactive") << GreyingLightTheme() << State::Inactive;
        QTest::newRow("greying light, disabled") << GreyingLightTheme() << State::Disabled;
    }
    void captionsStandOutFromTheirFaces() {
        QFETCH(QPalette, theme);
        QFETCH(State, state);
        Build(theme, state);
        const QImage image = window->grab().toImage();
        const qreal scale = image.devicePixelRatio();
        for (const auto& d : design::kControls) {
            QWidget* w = Control(d);
            const auto at = [&](const QRect& r) {
                return QRect(r.topLeft() * scale, r.size() * scale);
            };
            if (!d.colour) {
                // The boxes follow the theme as a whole, background and
                // text together; the output box's text must be readable.
                const QPalette themed = QApplication::palette(w);
                for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                    for (auto role : {QPalette::Base, QPalette::Text})
                        QCOMPARE(w->palette().color(group, role), themed.color(group, role));
                // Where the box is shows: its frame against the window
                // just outside it, midway down its left edge.
                const QRect box = at(w->geometry());
                const int middle = box.center().y();
                const double frame = ContrastRatio(image.pixelColor(box.left(), middle),
                                                   image.pixelColor(box.left() - 1, middle));
                QVERIFY2(frame >= kMinimumNonTextContrast,
                         qPrintable(DesignName(d) + ": frame " + QString::number(frame)));
                if (d.kind == design::Kind::OutputBox && state != State::Disabled) {
                    const auto text = MeasureText(image, at(w->geometry().adjusted(4, 4, -24, -4)));
                    QCOMPARE(text.face, w->palette().color(QPalette::Base));
                    QVERIFY2(text.contrast >= kMinimumContrast,
                             qPrintable(QString::number(text.contrast)));
                }
                continue;
            }
            // What it paints with, in every group and text role ...
            const QPalette p = w->palette();
            for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
                // An option's indicator is drawn in Base with a Text mark.
                QVERIFY(ContrastRatio(p.color(group, QPalette::Base),
                                      p.color(group, QPalette::Text)) >= kMinimumContrast);
                for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
                    QVERIFY2(ContrastRatio(p.color(group, role), Face(d)) >= kMinimumContrast,
                             qPrintable(QStringLiteral("%1 group %2 role %3")
                                            .arg(DesignName(d))
                                            .arg(group)
                                            .arg(role)));
            }
            // ... and what it painted: a push button's outer edge in the
            // design's shadow, as the page draws it, whatever the style's own.
            if (d.kind == design::Kind::PushButton) {
                const QRect g = at(w->geometry());
                QCOMPARE(image.pixelColor(g.right(), g.center().y()),
                         ui::ToColor(design::kButtonShadowColour));
            }
            const auto text = MeasureText(image, at(RoomOf(w).rect));
            QVERIFY2(text.face == Face(d), qPrintable(DesignName(d) + " face " + text.face.name()));
            QVERIFY2(text.contrast >= kMinimumContrast,
                     qPrintable(QStringLiteral("%1: %2").arg(DesignName(d)).arg(text.contrast)));
        }
    }

    // Every caption fits its control, drawn smaller only where the font the
    // system resolves is wider than the design's; the window keeps its size.
    // EXPECTED_SMALLER names the captions that must have been drawn smaller.
    void captionsFitWhole() {
        Build(QApplication::palette(), State::Active);
        QCOMPARE(window->size(), QSize(design::Pixels(design::kClientWidth),
                                       design::Pixels(design::kClientHeight)));
        const QImage image = window->grab().toImage();
        QStringList smaller;
        for (const auto& d : design::kControls) {
            if (d.kind == design::Kind::TextBox || d.kind == design::Kind::OutputBox) continue;
            QWidget* w = Control(d);
            const QString name = DesignName(d);
            QVERIFY2(w->sizeHint().width() <= w->width(), qPrintable(name));
            QVERIFY2(w->sizeHint().height() <= w->height(), qPrintable(name));
            const QFontMetrics metrics(w->font());
            const QString caption = Q(d.caption);
            const CaptionRoom room = RoomOf(w);
            QVERIFY2(metrics.horizontalAdvance(caption) <= room.rect.width(), qPrintable(name));
            // Nothing of the caption reaches the edge of its room.
            QVERIFY2(!ColumnHasInk(image, room.rect, room.rect.right(), Face(d)), qPrintable(name));
            if (room.centred)
                QVERIFY2(!ColumnHasInk(image, room.rect, room.rect.left(), Face(d)),
                         qPrintable(name));
            QVERIFY2(w->font().family() == window->font().family(), qPrintable(name));
            QVERIFY2(w->font().pointSizeF() >= 6, qPrintable(name));
            if (w->font().pointSizeF() < 12)
                smaller << name;
            else
                QCOMPARE(w->font().pointSizeF(), 12.0);
        }
        const QString expected = qEnvironmentVariable("EXPECTED_SMALLER");
        QCOMPARE(smaller.join(' '), expected);
    }

    // The window is built with its font as the application font; afterwards
    // the application's font, and the fonts it gives particular kinds of
    // widget, are what they were.
    void applicationFontsComeBack() {
        const QFont system(QStringLiteral("DejaVu Sans"), 9);
        const QFont menus(QStringLiteral("DejaVu Sans Mono"), 11);
        QApplication::setFont(system);
        QApplication::setFont(menus, "QMenu");
        Build(QApplication::palette(), State::Active);
        QCOMPARE(QApplication::font(), system);
        // A kind's font is applied when a widget of it is polished.
        QMenu menu;
        menu.ensurePolished();
        QCOMPARE(menu.font(), menus);
        QCOMPARE(QWidget().font(), system);
        for (auto* edit : window->findChildren<QLineEdit*>())
            QCOMPARE(edit->font(), window->font());
        QCOMPARE(window->findChild<QPlainTextEdit*>()->font(), window->font());
    }
};

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"
