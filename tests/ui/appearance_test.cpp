// SPDX-License-Identifier: GPL-3.0-or-later
// The window as a user sees it: as designed under the system's own theme,
// and under other desktop settings every caption readable on its coloured
// face under a light or dark theme, in an active, inactive or disabled
// window, and drawn whole whatever font the system resolves. CTest runs the
// latter again under another style and with only the DejaVu fonts, telling
// it by environment what it should find there.
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
#include <QRawFont>
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
using testing_support::Find;
using testing_support::kMinimumContrast;
using testing_support::kMinimumNonTextContrast;
using testing_support::MeasureText;
using testing_support::Text2;
using testing_support::Text3;
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

    // The window as it starts under the system's own theme, active.
    void Shown() { Build(QApplication::palette(), State::Active); }

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

    // Under the system's own theme, what the design gives: the window's
    // size and caption, each control's place, size, font and alignment,
    // the colours drawn, nothing cut or overlapping, and the icon.
    void windowAndControlsAsDesigned() {
        Shown();
        QCOMPARE(window->size(), testing_support::kClient);
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("teglomer.example.org Физкултура - индекс за телесна маса"));
        for (const auto& d : design::kControls) {
            auto* w = Find<QWidget>(*window, testing_support::DesignName(d));
            QCOMPARE(w->geometry(), QRect(d.left / 15, d.top / 15, d.width / 15, d.height / 15));
            QCOMPARE(w->font(), window->font());
            if (auto* label = qobject_cast<QLabel*>(w))
                QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask,
                         d.kind == design::Kind::Note ? Qt::AlignLeft : Qt::AlignHCenter);
        }
        for (int i = 0; i < 3; ++i) QCOMPARE(Text2(*window, i)->maxLength(), 3);
        QCOMPARE(Text3(*window, 0)->maxLength(), 3);
        QCOMPARE(Text3(*window, 1)->maxLength(), 2);
    }

    void fontIsTimesOrItsStandInAndDrawsCyrillic() {
        Shown();
        const QFont font = window->font();
        // An installed family, so no widget searches for a missing one.
        const bool times = QFontDatabase::families().contains(QStringLiteral("Times New Roman"));
        QCOMPARE(font.family(), times ? QStringLiteral("Times New Roman") : "Liberation Serif");
        QCOMPARE(QFontInfo(font).family(), font.family());
        QCOMPARE(font.pointSize(), 12);
        QCOMPARE(font.weight(), QFont::Normal);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
        const QRawFont raw = QRawFont::fromFont(font, QFontDatabase::Cyrillic);
        QVERIFY(raw.isValid());
        for (QChar c : QStringLiteral("Физкултура ЖЩЪЮЯ жщъюя"))
            QVERIFY2(raw.supportsCharacter(c), qPrintable(QString(c)));
    }

    // Also run by CTest at QT_SCALE_FACTOR=2: the grab is then twice the
    // size and every probe sits at twice the place.
    void grabbedWindowShowsTheColours() {
        Shown();
        const QImage image = window->grab().toImage();
        const qreal scale = window->devicePixelRatioF();
        QCOMPARE(scale, qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                            ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                            : 1.0);
        QCOMPARE(image.size(), testing_support::kClient * scale);
        struct Probe {
            const char* what;
            QPoint at;
            QColor colour;
        };
        const Probe probes[] = {
            {"window", {215, 40}, QColor(192, 192, 255)},
            {"window below the buttons", {300, 185}, QColor(192, 192, 255)},
            {"title label", {12, 3}, QColor(255, 192, 128)},
            {"height label", {236, 35}, QColor(255, 192, 128)},
            {"option 0", {200, 35}, QColor(128, 128, 255)},
            {"option 3", {200, 131}, QColor(128, 128, 255)},
            {"Calculate", {40, 172}, QColor(128, 255, 128)},
            {"Clear", {310, 172}, QColor(255, 0, 0)},
        };
        for (const auto& p : probes) {
            const QPoint at = (QPointF(p.at) * scale).toPoint();
            QVERIFY2(image.pixelColor(at) == p.colour,
                     qPrintable(QStringLiteral("%1 at (%2,%3) is %4")
                                    .arg(p.what)
                                    .arg(at.x())
                                    .arg(at.y())
                                    .arg(image.pixelColor(at).name())));
        }
    }

    void nothingIsClippedOrOverlaps() {
        Shown();  // every control showing, the range line too
        QList<QWidget*> controls;
        for (const auto& d : design::kControls)
            controls << Find<QWidget>(*window, testing_support::DesignName(d));
        for (QWidget* w : controls) {
            QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
            QVERIFY2(window->rect().contains(w->geometry()), qPrintable(w->objectName()));
            if (qobject_cast<QLabel*>(w) || qobject_cast<QRadioButton*>(w)) {
                QVERIFY2(w->sizeHint().width() <= w->width(), qPrintable(w->objectName()));
                QVERIFY2(w->sizeHint().height() <= w->height(), qPrintable(w->objectName()));
            }
            if (auto* button = qobject_cast<QPushButton*>(w)) {
                const QFontMetrics metrics(button->font());
                QVERIFY(metrics.horizontalAdvance(button->text()) + 8 <= button->width());
                QVERIFY(metrics.height() + 4 <= button->height());
            }
            for (QWidget* other : controls)
                QVERIFY2(w == other || !w->geometry().intersects(other->geometry()),
                         qPrintable(w->objectName() + " overlaps " + other->objectName()));
        }
    }

    void iconStaysSharp() {
        Shown();
        const qreal scale = window->devicePixelRatioF();
        const QImage drawing =
            QImage(QStringLiteral(":/teglomer.xpm")).convertToFormat(QImage::Format_ARGB32);
        const QImage icon = window->windowIcon()
                                .pixmap(QSize(32, 32), scale)
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(icon.size(), QSize(32, 32) * scale);
        // Every pixel of the scaled icon is a pixel of the drawing: no blur.
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                QCOMPARE(icon.pixel(x, y), drawing.pixel(int(x / scale), int(y / scale)));
    }

    // The page draws the window's edges from the design's colours: they must
    // be the toolkit's own shades of the faces they border.
    void edgeColoursAreTheToolkitsShades() {
        Shown();
        for (const design::ButtonEdges& e : design::kButtonEdges) {
            const QColor face = ui::ToColor(*design::ControlNamed(e.control).colour);
            QCOMPARE(ui::ToColor(e.light).name(), face.lighter(150).name());
            QCOMPARE(ui::ToColor(e.dark).name(), face.darker(200).name());
        }
    }

    void iconIsATransparentHamburger() {
        Shown();
        const QIcon icon = window->windowIcon();
        QVERIFY(!icon.isNull());
        const QImage image(QStringLiteral(":/teglomer.xpm"));
        QCOMPARE(image.size(), QSize(32, 32));
        QVERIFY(image.hasAlphaChannel());
        for (QPoint corner : {QPoint(0, 0), QPoint(31, 0), QPoint(0, 31), QPoint(31, 31)})
            QCOMPARE(image.pixelColor(corner).alpha(), 0);
        QSet<QRgb> colours;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) colours.insert(image.pixel(x, y));
        QVERIFY(colours.size() <= 256);
        QVERIFY(colours.size() > 8);  // a drawing, not a blank
    }
};

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"
