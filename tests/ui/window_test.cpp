// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real window the way a person does, mouse clicks and typed
// keys, and holds what it shows to the form's own reports for the same
// boxes, as the page's tests do through report_dump: the output box, the
// scale under it drawn where the form's strip places it, the lines under
// the scale, and what screen readers are told. CTest runs the reports again
// under a Bulgarian and a C locale, with the system's own separator.
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>
#include <clocale>
#include <functional>
#include <memory>

#include "design/design.h"
#include "design/presentation.h"
#include "design/reference_text.h"
#include "design/scale.h"
#include "form/memory_form_state.h"
#include "tests/ui/controls.h"
#include "ui/accessibility.h"
#include "ui/app_setup.h"
#include "ui/colours.h"
#include "ui/orlaven.h"

using testing_support::AcceptWarningSoon;
using testing_support::ClickOption;
using testing_support::Command1;
using testing_support::Find;
using testing_support::Option1;
using testing_support::Option2;
using testing_support::Report;
using testing_support::Text1;
using testing_support::Text2;
using testing_support::Text3;
using testing_support::Type;
using ui::Orlaven;

namespace {

const QString kOverflow =
    QStringLiteral("Въведеното число е извън допустимия обхват (от -32768 до 32767).");

// The middle of the dark run along a row of the strip's picture, where a
// mark's head is drawn; NaN where there is none.
double MarkAt(const QImage& image, double y) {
    const qreal scale = image.devicePixelRatio();
    QList<int> xs;
    for (int x = 0; x < image.width() / scale; ++x)
        if (qGray(image.pixel(int(x * scale), int(y * scale))) < 128) xs << x;
    return xs.isEmpty() ? qQNaN() : (xs.first() + xs.last() + 1) / 2.0;
}
bool DarkAt(const QImage& image, double x, double y) {
    const qreal scale = image.devicePixelRatio();
    return qGray(image.pixel(int(x * scale), int(y * scale))) < 128;
}
// Where a place along the bar is drawn in the strip.
double DrawnAt(const QWidget& strip, double along) {
    const double bar = design::ExactPixels(design::kScaleInset);
    return bar + along * (strip.width() - 2 * bar);
}
// Rows of the strip's picture within each mark's head.
constexpr double kStandingRow = 2, kDesiredRow = 38;

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Orlaven> window;

    QString Output() const { return QString::fromStdString(window->OutputText()); }

    void Calculate(int method, const QString& height, const QString& weight,
                   const QString& girth = {}) {
        ClickOption(Option1(*window, method));
        Type(Text2(*window, 0), height);
        Type(Text2(*window, 1), weight);
        if (!girth.isNull()) Type(Text2(*window, 2), girth);
        QTest::mouseClick(Command1(*window, 0), Qt::LeftButton);
    }

    // The age boxes and the sex, as a person fills them in.
    void TypePerson(const QString& years, const QString& months, int sex) {
        Type(Text3(*window, 0), years);
        Type(Text3(*window, 1), months);
        if (sex >= 0) ClickOption(Option2(*window, sex));
    }

private slots:
    void init() { window = testing_support::ShownWindow(); }
    void cleanup() { window.reset(); }

    // Each method and the scale's edge cases, children and adults with an
    // age: the window's report is the form's own for the same boxes, with
    // the same separator; each option checked as chosen and the chest-girth
    // row shown for Borngard alone; the strip shows what the form's strip
    // holds (the bands in their colours, each mark drawn within 0.75 px of
    // its place, so within 1.5 px of the page's, and past an end with its
    // sign, both lines, hidden while empty, and the name). Where a row names
    // the index or the desired weight's index, the mark stands at the
    // adults' place of it. After Clear the marks and the range line go.
    // Run by CTest under a locale too, the window then made with the
    // system's separator, which EXPECTED_DECIMAL_SEPARATOR names.
    void reports_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<QStringList>("boxes");  // height, weight, chest girth, years, months
        QTest::addColumn<int>("sex");
        QTest::addColumn<double>("index");    // NaN: not named
        QTest::addColumn<double>("desired");  // the desired weight's index; NaN: not named
        const double none = qQNaN();
        const auto row = [](const char* name) { return &QTest::newRow(name); };
        const int boy = form::kBoy, girl = form::kGirl;
        *row("body mass index") << 0 << QStringList{"170", "72"} << -1 << 24.91 << none;
        *row("Broca") << 1 << QStringList{"170", "72"} << -1 << 24.91 << 22.49;
        *row("Breitman") << 2 << QStringList{"170", "72"} << -1 << none << none;
        *row("Breitman, two decimals") << 2 << QStringList{"171", "72"} << -1 << none << none;
        *row("Borngard over") << 3 << QStringList{"170", "72", "90"} << -1 << none << none;
        *row("Borngard under") << 3 << QStringList{"170", "60", "90"} << -1 << none << none;
        *row("a band's edge") << 0 << QStringList{"100", "25"} << -1 << 25.0 << none;
        *row("18.49925 rounds to 18.5") << 0 << QStringList{"186", "64"} << -1 << 18.5 << none;
        *row("24.99745 rounds to 25") << 0 << QStringList{"198", "98"} << -1 << 25.0 << none;
        *row("past the left end") << 0 << QStringList{"100", "5"} << -1 << 5.0 << none;
        *row("past the right end") << 0 << QStringList{"", "72"} << -1 << 72.0 << none;
        *row("an overflow") << 0 << QStringList{"170", "9e9"} << -1 << none << none;
        *row("a boy of 12") << 0 << QStringList{"150", "38", "", "12", ""} << boy << none << none;
        *row("a girl of 3, 95 cm")
            << 0 << QStringList{"95", "14", "", "3", "4"} << girl << none << none;
        *row("under 2") << 0 << QStringList{"80", "11", "", "1", "11"} << girl << none << none;
        *row("no sex") << 0 << QStringList{"150", "38", "", "12", "6"} << -1 << none << none;
        *row("months of 12") << 0 << QStringList{"150", "38", "", "12", "12"} << boy << none
                             << none;
        *row("a child, Broca") << 1 << QStringList{"160", "50", "", "15", ""} << girl << none
                               << none;
        *row("an adult of 25, Broca")
            << 1 << QStringList{"180", "70", "", "25", ""} << -1 << none << none;
    }
    void reports() {
        QFETCH(int, method);
        QFETCH(QStringList, boxes);
        QFETCH(int, sex);
        QFETCH(double, index);
        QFETCH(double, desired);
        while (boxes.size() < 5) boxes << QString();
        const QString separator = qEnvironmentVariable("EXPECTED_DECIMAL_SEPARATOR");
        if (!separator.isEmpty()) {
            // The application has set the C library's locale from the same
            // environment; a locale that is not generated leaves it at "C",
            // which the reports must survive too, but then this run would
            // not show it.
            QCOMPARE(QString::fromLocal8Bit(localeconv()->decimal_point), separator);
            window = std::make_unique<Orlaven>();
            window->show();
            QCOMPARE(QString::fromStdString(window->Form().DecimalSeparator()), separator);
        }
        form::MemoryFormState state;
        form::Form form(state, window->Form().DecimalSeparator());
        form.Option1_Click(method);
        state.inputs = {boxes[0].toStdString(), boxes[1].toStdString(), boxes[2].toStdString()};
        state.ages = {boxes[3].toStdString(), boxes[4].toStdString()};
        if (sex >= 0) state.sexes[std::size_t(sex)] = true;
        const design::Strip expected = *design::Command(form, state, form::kCalculate).strip;

        TypePerson(boxes[3], boxes[4], sex);
        AcceptWarningSoon();
        Calculate(method, boxes[0], boxes[1], method == 3 ? boxes[2] : QString());
        QCOMPARE(window->OutputText(), state.output);
        // What the box shows is the same report, in the widget's own line breaks.
        QCOMPARE(Text1(*window)->toPlainText(), ui::ToWidgetText(state.output));
        for (int i = 0; i < 4; ++i) QCOMPARE(Option1(*window, i)->isChecked(), i == method);
        QCOMPARE(Text2(*window, 2)->isVisible(), method == 3);
        QCOMPARE(window->Form().MethodIndex(), method);

        const auto notes = [&](const design::Strip& strip) {
            for (const auto& [name, text] : {std::pair("Label3(0)", &strip.rangeNote),
                                             std::pair("Label3(1)", &strip.scopeNote)}) {
                auto* note = Find<QLabel>(*window, name);
                QCOMPARE(note->text(), ui::Q(*text));
                QCOMPARE(note->isHidden(), text->empty());
            }
        };
        notes(expected);
        auto* strip = Find<QWidget>(*window, "Picture1(0)");
        QCOMPARE(strip->accessibleName(), ui::Q(expected.name));
        QImage image = strip->grab().toImage();
        const qreal scale = image.devicePixelRatio();
        const double barMiddle = design::ExactPixels(design::kBarTop + design::kBarHeight / 2);
        for (const design::Band& band : expected.bands) {
            // Off the marks' stems, which may stand in a band's middle.
            const double x = DrawnAt(*strip, band.from + (band.to - band.from) / 4);
            QCOMPARE(image.pixelColor(int(x * scale), int(barMiddle * scale)),
                     ui::ToColor(band.colour));
        }
        for (const auto& [place, named, row] :
             {std::tuple(expected.standing, index, kStandingRow),
              std::tuple(expected.desired, desired, kDesiredRow)}) {
            const double x = MarkAt(image, row);
            QCOMPARE(qIsNaN(x), !place);
            if (!qIsNaN(named)) QCOMPARE(place->along, design::PlaceOnScale(named).along);
            if (!place) continue;
            const double at = DrawnAt(*strip, place->along);
            QVERIFY2(qAbs(x - at) <= 0.75,
                     qPrintable(QStringLiteral("at %1, not %2").arg(x).arg(at)));
            // Beyond an end, its sign: the tip reaches out 7 px in the bar's middle.
            QCOMPARE(DarkAt(image, at - 7, 20), place->beyond < 0);
            QCOMPARE(DarkAt(image, at + 7, 20), place->beyond > 0);
        }

        QTest::mouseClick(Command1(*window, 1), Qt::LeftButton);
        image = strip->grab().toImage();
        QVERIFY(qIsNaN(MarkAt(image, kStandingRow)) && qIsNaN(MarkAt(image, kDesiredRow)));
        notes(design::StripAtStart(window->Form().DecimalSeparator()));
    }

    void clearLeavesTheMethodAndTheRow() {
        TypePerson("12", "3", form::kGirl);
        Calculate(3, "170", "60", "90");
        QTest::mouseClick(Command1(*window, 1), Qt::LeftButton);
        QCOMPARE(Output(), QStringLiteral("Направете нов избор"));
        for (int i = 0; i < 3; ++i) QCOMPARE(Text2(*window, i)->text(), QString());
        for (int i = 0; i < 2; ++i) QCOMPARE(Text3(*window, i)->text(), QString());
        for (int i = 0; i < 4; ++i) QVERIFY(!Option1(*window, i)->isChecked());
        for (int i = 0; i < 2; ++i) QVERIFY(!Option2(*window, i)->isChecked());
        QVERIFY(Text2(*window, 2)->isVisible());
        QCOMPARE(window->Form().MethodIndex(), 3);

        // Calculate without a new choice runs the last method.
        Type(Text2(*window, 0), "170");
        Type(Text2(*window, 1), "60");
        Type(Text2(*window, 2), "90");
        QTest::mouseClick(Command1(*window, 0), Qt::LeftButton);
        QCOMPARE(Output(), Report({"Изчисляване: индекс на Борнгард", "Желано тегло: 63.75",
                                   "Можете да си позволите още: 3.75"}));

        // After a Clear the same option can be chosen again.
        QTest::mouseClick(Command1(*window, 1), Qt::LeftButton);
        ClickOption(Option1(*window, 3));
        QVERIFY(Option1(*window, 3)->isChecked());
        ClickOption(Option1(*window, 0));
        QCOMPARE(window->Form().MethodIndex(), 0);
    }

    void chestGirthRowFollowsTheChoice() {
        auto* label = Find<QLabel>(*window, "Label2(2)");
        auto* box = Text2(*window, 2);
        QVERIFY(!label->isVisible() && !box->isVisible());
        ClickOption(Option1(*window, 3));
        QVERIFY(label->isVisible() && box->isVisible());
        Type(box, "90");
        ClickOption(Option1(*window, 0));
        QVERIFY(!label->isVisible() && !box->isVisible());
        ClickOption(Option1(*window, 3));
        QVERIFY(label->isVisible() && box->isVisible());
        QCOMPARE(box->text(), QStringLiteral("90"));
    }

    void referenceTextAtStart() {
        const std::string start = window->OutputText();
        QCOMPARE(start, std::string(design::kReferenceText));
        const QString text = QString::fromStdString(start);
        QCOMPARE(text.size(), 2025);
        QCOMPARE(text.count("\r\n"), 28);
        QVERIFY(text.endsWith("\r\n"));
        QCOMPARE(Text1(*window)->verticalScrollBar()->value(), 0);
        QVERIFY(Text1(*window)->verticalScrollBar()->maximum() > 0);
        QCOMPARE(Text1(*window)->cursorForPosition(QPoint(4, 4)).blockNumber(), 0);

        Calculate(0, "170", "72");
        QVERIFY(!Output().contains("Информацията"));
        QTest::mouseClick(Command1(*window, 1), Qt::LeftButton);
        QVERIFY(!Output().contains("Информацията"));
    }

    void overflowIsAWarningAndTheWindowGoesOn() {
        QString shown;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        AcceptWarningSoon(&shown, &icon);
        Calculate(2, "170", "9e9");
        QCOMPARE(shown, kOverflow);
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(Output(), Report({"Изчисляване: индекс на Брейтман"}));
        Type(Text2(*window, 1), "72");
        QTest::mouseClick(Command1(*window, 0), Qt::LeftButton);
        QCOMPARE(Output(), Report({"Изчисляване: индекс на Брейтман", "Желано тегло: 69",
                                   "Наднормено тегло: 3"}));
    }

    // Run by CTest under a Bulgarian locale.
    void qtTextsInBulgarian() {
        if (QLocale::system().language() != QLocale::Bulgarian) QSKIP("run by CTest under bg_BG");
        QVERIFY(!ui::InstallQtTranslations(*qApp, QStringLiteral("/nonexistent")));
        QVERIFY(ui::InstallQtTranslations(*qApp));
        const std::unique_ptr<QMenu> menu(Text2(*window, 0)->createStandardContextMenu());
        QStringList texts;
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) texts << action->text();
        QVERIFY(texts.size() >= 5);
        const QRegularExpression cyrillic(QStringLiteral("\\p{Cyrillic}"));
        for (const QString& text : texts) QVERIFY2(text.contains(cyrillic), qPrintable(text));

        QMessageBox warning(QMessageBox::Warning, window->windowTitle(), kOverflow,
                            QMessageBox::Ok);
        const QString ok = warning.button(QMessageBox::Ok)->text();
        QVERIFY2(ok.contains(cyrillic), qPrintable(ok));
        // The web page's warning says the same.
        QCOMPARE(ok, ui::Q(design::kWarningButton));
    }

    void eachCommandIsAnnouncedWhereTheFocusIs() {
        // A notification that comes into view, which a screen reader speaks
        // wherever the focus is: what it says each time it is shown.
        struct Recorder : QObject {
            QStringList announced;
            bool eventFilter(QObject* watched, QEvent* event) override {
                if (event->type() == QEvent::Show) {
                    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(watched);
                    if (iface->role() == QAccessible::Notification)
                        announced << iface->text(QAccessible::Name);
                }
                return false;
            }
        } recorder;
        auto* notification = Find<ui::Announcer>(*window, QString());
        notification->installEventFilter(&recorder);
        QStringList& announced = recorder.announced;
        const QString girthShown = QStringLiteral("Появи се поле „Гръдна обиколка [см]“");
        struct Step {
            const char* what;
            std::function<void()> act;
            QStringList expected;
        };
        const Step steps[] = {
            {"choosing Broca", [&] { ClickOption(Option1(*window, 1)); }, {}},
            {"Enter in the weight box",
             [&] {
                 Type(Text2(*window, 0), "170");
                 Type(Text2(*window, 1), "72");
                 QTest::keyClick(Text2(*window, 1), Qt::Key_Return);
                 QCOMPARE(QApplication::focusWidget(), Text2(*window, 1));
             },
             {"Изчисляване: индекс на Брок\nЖелано тегло: 65\nНаднормено тегло: 7\n"
              "Нормално тегло при 170 см: от 54 до 72 кг"}},
            {"the Broca refusal",
             [&] {
                 Type(Text2(*window, 0), "150");
                 QTest::mouseClick(Command1(*window, 0), Qt::LeftButton);
             },
             {"Изчисляване: индекс на Брок\nръст < 155 - въведените данни са некоректни!\n"
              "Нормално тегло при 150 см: от 42 до 56 кг"}},
            {"Clear",
             [&] { QTest::mouseClick(Command1(*window, 1), Qt::LeftButton); },
             {"Направете нов избор"}},
            {"choosing Borngard", [&] { ClickOption(Option1(*window, 3)); }, {girthShown}},
            {"Borngard again, the box still showing after Clear",
             [&] {
                 QTest::mouseClick(Command1(*window, 1), Qt::LeftButton);
                 announced.clear();
                 ClickOption(Option1(*window, 3));
             },
             {}},
            {"an overflow, after its warning",
             [&] {
                 AcceptWarningSoon();
                 Calculate(2, "170", "9e9");
             },
             {"Изчисляване: индекс на Брейтман\n"}},
        };
        for (const Step& step : steps) {
            announced.clear();
            step.act();
            QVERIFY2(announced == step.expected,
                     qPrintable(QStringLiteral("%1: %2").arg(step.what, announced.join('|'))));
        }
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
