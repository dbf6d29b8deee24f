// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real window the way a person does: mouse clicks, typed keys, Tab.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
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

using testing_support::Command1;
using testing_support::Find;
using testing_support::Option1;
using testing_support::Option2;
using testing_support::Text1;
using testing_support::Text2;
using testing_support::Text3;
using ui::Orlaven;

namespace {

const QString kOverflow =
    QStringLiteral("Въведеното число е извън допустимия обхват (от -32768 до 32767).");

void Type(QLineEdit* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

void ClickOption(QRadioButton* option) {
    // On the indicator and caption, where a person clicks.
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(10, option->height() / 2));
}

QString Report(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

}  // namespace

const QSize kClient(design::Pixels(design::kClientWidth), design::Pixels(design::kClientHeight));

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

    // The middle of the dark run along a row of the strip's picture, where a
    // mark's head is drawn; NaN where there is none.
    static double MarkAt(const QImage& image, double y) {
        const qreal scale = image.devicePixelRatio();
        QList<int> xs;
        for (int x = 0; x < image.width() / scale; ++x)
            if (qGray(image.pixel(int(x * scale), int(y * scale))) < 128) xs << x;
        return xs.isEmpty() ? qQNaN() : (xs.first() + xs.last() + 1) / 2.0;
    }
    // Where a place along the bar is drawn in the strip.
    static double DrawnAt(const QWidget& strip, double along) {
        const double bar = double(design::kScaleInset) / design::kTwipsPerPixel;
        return bar + along * (strip.width() - 2 * bar);
    }

private slots:
    void init() { window = testing_support::ShownWindow(); }
    void cleanup() { window.reset(); }

    void typicalRequest() {
        Calculate(1, "170", "72");
        QCOMPARE(Output(), Report({"Изчисляване: индекс на Брок", "Желано тегло: 65",
                                   "Наднормено тегло: 7"}));
        QVERIFY(Text2(*window, 2)->isHidden());
        QCOMPARE(window->Form().MethodIndex(), 1);
    }

    void everyMethod_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("girth");
        QTest::addColumn<QString>("expected");
        QTest::newRow("body mass index")
            << 0 << QString()
            << Report({"Изчисляване: индекс на телесната маса", "Индекс на телесната маса: 24.91",
                       "нормално тегло,"});
        QTest::newRow("Broca") << 1 << QString()
                               << Report({"Изчисляване: индекс на Брок", "Желано тегло: 65",
                                          "Наднормено тегло: 7"});
        QTest::newRow("Breitman") << 2 << QString()
                                  << Report({"Изчисляване: индекс на Брейтман", "Желано тегло: 69",
                                             "Наднормено тегло: 3"});
        QTest::newRow("Borngard") << 3 << "90"
                                  << Report({"Изчисляване: индекс на Борнгард",
                                             "Желано тегло: 63.75", "Наднормено тегло: 8.25"});
    }
    void everyMethod() {
        QFETCH(int, method);
        QFETCH(QString, girth);
        QFETCH(QString, expected);
        Calculate(method, "170", "72", girth);
        QCOMPARE(Output(), expected);
        // What the box shows is the same report, in the widget's own line breaks.
        QCOMPARE(Text1(*window)->toPlainText(), QString(expected).replace("\r\n", "\n"));
        for (int i = 0; i < 4; ++i) QCOMPARE(Option1(*window, i)->isChecked(), i == method);
    }

    // The scale under the report: each mark found where it is drawn, within
    // 0.75 px of its place (the page's stands as near, so the two within
    // 1.5 px of each other), past an end with its sign, the range line, the
    // strip's name; Clear takes marks and range away. NaN: no mark.
    void scaleShowsWhereTheBoxesStand_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<double>("index");
        QTest::addColumn<double>("desired");
        QTest::addColumn<QString>("range");
        const double none = qQNaN();
        const QString at100 = QStringLiteral("Нормално тегло при 100 см: от 19 до 24 кг");
        QTest::newRow("a band's edge") << 0 << QStringList{"100", "25"} << 25.0 << none << at100;
        QTest::newRow("18.49925 rounds to 18.5")
            << 0 << QStringList{"186", "64"} << 18.5 << none
            << QStringLiteral("Нормално тегло при 186 см: от 64 до 86 кг");
        QTest::newRow("24.99745 rounds to 25")
            << 0 << QStringList{"198", "98"} << 25.0 << none
            << QStringLiteral("Нормално тегло при 198 см: от 73 до 97 кг");
        QTest::newRow("past the left end") << 0 << QStringList{"100", "5"} << 5.0 << none << at100;
        QTest::newRow("past the right end") << 0 << QStringList{"", "72"} << 72.0 << none << at100;
        QTest::newRow("Broca's desired weight")
            << 1 << QStringList{"170", "72"} << 24.91 << 22.49
            << QStringLiteral("Нормално тегло при 170 см: от 54 до 72 кг");
        QTest::newRow("an overflow") << 0 << QStringList{"170", "9e9"} << none << none << QString();
    }
    void scaleShowsWhereTheBoxesStand() {
        QFETCH(int, method);
        QFETCH(QStringList, boxes);
        QFETCH(double, index);
        QFETCH(double, desired);
        QFETCH(QString, range);
        auto* strip = Find<QWidget>(*window, "Picture1(0)");
        auto* note = Find<QLabel>(*window, "Label3(0)");
        const auto dark = [](const QImage& image, double x, double y) {
            const qreal scale = image.devicePixelRatio();
            return qGray(image.pixel(int(x * scale), int(y * scale))) < 128;
        };
        const auto found = MarkAt;
        const double standingRow = 2, desiredRow = 38;  // within each head
        QTimer::singleShot(0, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->accept();
        });
        Calculate(method, boxes[0], boxes[1]);
        QImage image = strip->grab().toImage();
        for (const auto& [wanted, row] :
             {std::pair(index, standingRow), std::pair(desired, desiredRow)}) {
            const double x = found(image, row);
            if (qIsNaN(wanted)) {
                QVERIFY2(qIsNaN(x), "a mark where there should be none");
                continue;
            }
            const design::ScalePlace place = design::PlaceOnScale(wanted);
            const double at = DrawnAt(*strip, place.along);
            QVERIFY2(qAbs(x - at) <= 0.75,
                     qPrintable(QStringLiteral("at %1, not %2").arg(x).arg(at)));
            // Beyond an end, its sign: the tip reaches out 7 px in the bar's middle.
            const bool left = place.beyond<0, right = place.beyond> 0;
            QCOMPARE(dark(image, at - 7, 20), left);
            QCOMPARE(dark(image, at + 7, 20), right);
        }
        QCOMPARE(note->text(), range);
        QCOMPARE(note->isHidden(), range.isEmpty());  // a line with nothing to say is not there
        QVERIFY(strip->accessibleName().contains(range));
        QTest::mouseClick(Command1(*window, 1), Qt::LeftButton);
        image = strip->grab().toImage();
        QVERIFY(qIsNaN(found(image, standingRow)) && qIsNaN(found(image, desiredRow)));
        QCOMPARE(note->text(), QString());
        QVERIFY(note->isHidden());
    }

    // By age and sex: the report is the form's own for the same boxes, and
    // the strip shows what the form's strip holds: the child's bands in
    // their colours, the mark at its place, both lines and the name.
    void byAgeAndSex_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<QStringList>("boxes");  // height, weight, years, months
        QTest::addColumn<int>("sex");
        QTest::newRow("a boy of 12") << 0 << QStringList{"150", "38", "12", ""} << int(form::kBoy);
        QTest::newRow("a girl of 3, 95 cm")
            << 0 << QStringList{"95", "14", "3", "4"} << int(form::kGirl);
        QTest::newRow("under 2") << 0 << QStringList{"80", "11", "1", "11"} << int(form::kGirl);
        QTest::newRow("no sex") << 0 << QStringList{"150", "38", "12", "6"} << -1;
        QTest::newRow("months of 12")
            << 0 << QStringList{"150", "38", "12", "12"} << int(form::kBoy);
        QTest::newRow("a child, Broca")
            << 1 << QStringList{"160", "50", "15", ""} << int(form::kGirl);
        QTest::newRow("an adult of 25, Broca") << 1 << QStringList{"180", "70", "25", ""} << -1;
    }
    void byAgeAndSex() {
        QFETCH(int, method);
        QFETCH(QStringList, boxes);
        QFETCH(int, sex);
        form::MemoryFormState state;
        form::Form form(state, ".");
        form.Option1_Click(method);
        state.inputs = {boxes[0].toStdString(), boxes[1].toStdString(), ""};
        state.ages = {boxes[2].toStdString(), boxes[3].toStdString()};
        if (sex >= 0) state.sexes[std::size_t(sex)] = true;
        const design::Strip expected = *design::Command(form, state, form::kCalculate).strip;

        TypePerson(boxes[2], boxes[3], sex);
        Calculate(method, boxes[0], boxes[1]);
        QCOMPARE(window->OutputText(), state.output);
        for (const auto& [name, text] : {std::pair("Label3(0)", &expected.rangeNote),
                                         std::pair("Label3(1)", &expected.scopeNote)}) {
            auto* note = Find<QLabel>(*window, name);
            QCOMPARE(note->text(), ui::Q(*text));
            QCOMPARE(note->isHidden(), text->empty());
        }
        auto* strip = Find<QWidget>(*window, "Picture1(0)");
        QCOMPARE(strip->accessibleName(), ui::Q(expected.name));
        const QImage image = strip->grab().toImage();
        const qreal scale = image.devicePixelRatio();
        const double barMiddle = double(design::kBarTop + design::kBarHeight / 2) / 15;
        for (const design::Band& band : expected.bands) {
            // Off the marks' stems, which stand at the middle of a band.
            const double x = DrawnAt(*strip, band.from + (band.to - band.from) / 4);
            QCOMPARE(image.pixelColor(int(x * scale), int(barMiddle * scale)),
                     ui::ToColor(band.colour));
        }
        const double at = MarkAt(image, 2);
        QCOMPARE(qIsNaN(at), !expected.standing);
        if (expected.standing)
            QVERIFY(qAbs(at - DrawnAt(*strip, expected.standing->along)) <= 0.75);
        QCOMPARE(qIsNaN(MarkAt(image, 38)), !expected.desired);
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

    // Three characters a box, two in the months', typed or pasted.
    void fourthCharacterIsRefused() {
        ClickOption(Option1(*window, 3));
        for (const auto& d : design::kControls) {
            if (d.kind != design::Kind::TextBox) continue;
            auto* box = Find<QLineEdit>(*window, testing_support::DesignName(d));
            const int most = d.name == design::kAgeBoxes && d.index == form::kAgeMonths ? 2 : 3;
            Type(box, "1234");
            QCOMPARE(box->text(), QStringLiteral("1234").left(most));
            box->clear();
            QApplication::clipboard()->setText(QStringLiteral("98765"));
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(box->text(), QStringLiteral("98765").left(most));
        }
    }

    QStringList TabChain(int stops) {
        QStringList chain{QApplication::focusWidget()->objectName()};
        for (int i = 1; i < stops; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            chain << QApplication::focusWidget()->objectName();
        }
        return chain;
    }

    void focusOrder() {
        QCOMPARE(QApplication::focusWidget(), Text1(*window));
        // The whole designed order, once the chest-girth box shows and no
        // option is checked: choose Borngard, then Clear.
        ClickOption(Option1(*window, 3));
        QTest::mouseClick(Command1(*window, 1), Qt::LeftButton);
        Text1(*window)->setFocus();
        QStringList expected;
        for (auto name : design::kFocusOrder)
            expected << QString::fromUtf8(name.data(), name.size());
        QCOMPARE(TabChain(int(expected.size()) + 1), expected + QStringList{expected.front()});

        // At start the hidden box is passed over.
        window = testing_support::ShownWindow();
        expected.removeAll(QStringLiteral("Text2(2)"));
        QCOMPARE(TabChain(int(expected.size())), expected);
    }

    void everyOptionIsATabStopAndArrowsMoveWithin() {
        ClickOption(Option1(*window, 1));
        Command1(*window, 1)->setFocus();
        QCOMPARE(TabChain(4),
                 (QStringList{"Command1(1)", "Option1(0)", "Option1(1)", "Option1(2)"}));
        QTest::keyClick(Option1(*window, 2), Qt::Key_Space);
        QCOMPARE(window->Form().MethodIndex(), 2);
        QTest::keyClick(Option1(*window, 2), Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), Option1(*window, 3));
        QVERIFY(Option1(*window, 3)->isChecked());
        QCOMPARE(window->Form().MethodIndex(), 3);
        QVERIFY(Text2(*window, 2)->isVisible());
        QTest::keyClick(Option1(*window, 3), Qt::Key_Up);
        QCOMPARE(window->Form().MethodIndex(), 2);
    }

    // Each focus stop, reached by Tab as a keyboard user does, is ringed in
    // the focus colour all round, and only while it has the focus.
    void keyboardFocusShows_data() {
        QTest::addColumn<int>("stop");
        for (std::size_t i = 0; i < design::kFocusOrder.size(); ++i)
            QTest::newRow(design::kFocusOrder[i].data()) << int(i);
    }
    void keyboardFocusShows() {
        QFETCH(int, stop);
        ClickOption(Option1(*window, 3));  // the chest-girth box shows
        const auto stopAt = [this](std::size_t i) {
            return Find(*window, ui::Q(design::kFocusOrder[i % design::kFocusOrder.size()]));
        };
        QWidget* control = stopAt(stop);
        const auto ringed = [control] {
            const QImage image = control->grab().toImage();
            const QColor ring = ui::ToColor(design::kFocusColour);
            const int right = image.width() - 1, bottom = image.height() - 1;
            for (int x = 0; x <= right; ++x)
                if (image.pixelColor(x, 0) != ring || image.pixelColor(x, bottom) != ring)
                    return false;
            for (int y = 0; y <= bottom; ++y)
                if (image.pixelColor(0, y) != ring || image.pixelColor(right, y) != ring)
                    return false;
            return true;
        };
        stopAt(stop + design::kFocusOrder.size() - 1)->setFocus();
        QVERIFY(!ringed());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control);
        QVERIFY(ringed());
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

    void outputBoxIsReadOnlyButCopyable() {
        auto* box = Text1(*window);
        box->setFocus();
        QTest::keyClicks(box, "xyz");
        QCOMPARE(window->OutputText(), std::string(design::kReferenceText));
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), Text1(*window)->toPlainText());
        QCOMPARE(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Text2(*window, 0));
    }

    void overflowIsAWarningAndTheWindowGoesOn() {
        QString shown;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            shown = box->text();
            icon = box->icon();
            box->accept();
        });
        Calculate(2, "170", "9e9");
        QCOMPARE(shown, kOverflow);
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(Output(), Report({"Изчисляване: индекс на Брейтман"}));
        Type(Text2(*window, 1), "72");
        QTest::mouseClick(Command1(*window, 0), Qt::LeftButton);
        QCOMPARE(Output(), Report({"Изчисляване: индекс на Брейтман", "Желано тегло: 69",
                                   "Наднормено тегло: 3"}));
    }

    // Run by CTest under a given locale, with its decimal separator in
    // EXPECTED_DECIMAL_SEPARATOR; '%' stands for it in the lines.
    void systemLocaleSeparator_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("body mass index")
            << 0 << QStringList{"170", "72"}
            << QStringList{"Индекс на телесната маса: 24%91", "нормално тегло,"};
        QTest::newRow("Broca") << 1 << QStringList{"170", "72"}
                               << QStringList{"Желано тегло: 65", "Наднормено тегло: 7"};
        QTest::newRow("Breitman") << 2 << QStringList{"171", "72"}
                                  << QStringList{"Желано тегло: 69%7", "Наднормено тегло: 2%3"};
        QTest::newRow("Borngard over")
            << 3 << QStringList{"170", "72", "90"}
            << QStringList{"Желано тегло: 63%75", "Наднормено тегло: 8%25"};
        QTest::newRow("Borngard under")
            << 3 << QStringList{"170", "60", "90"}
            << QStringList{"Желано тегло: 63%75", "Можете да си позволите още: 3%75"};
    }
    void systemLocaleSeparator() {
        const QString separator = qEnvironmentVariable("EXPECTED_DECIMAL_SEPARATOR");
        if (separator.isEmpty()) QSKIP("run by CTest with a locale set");
        // The application has set the C library's locale from the same
        // environment; a locale that is not generated leaves it at "C",
        // which the reports must survive too, but then this run would not
        // show it.
        QCOMPARE(QString::fromLocal8Bit(localeconv()->decimal_point), separator);
        QFETCH(int, method);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, lines);
        window = std::make_unique<Orlaven>();
        window->show();
        Calculate(method, boxes.value(0), boxes.value(1), boxes.value(2, QString()));
        lines.replaceInStrings(QStringLiteral("%"), separator);
        lines.prepend(QStringLiteral("Изчисляване: ") + Option1(*window, method)->text());
        QCOMPARE(Output(), Report(lines));
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

    void windowAndControlsAsDesigned() {
        QCOMPARE(window->size(), kClient);
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
        const QImage image = window->grab().toImage();
        const qreal scale = window->devicePixelRatioF();
        QCOMPARE(scale, qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                            ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                            : 1.0);
        QCOMPARE(image.size(), kClient * scale);
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
        Calculate(3, "170", "72", "90");  // every control showing, the range line too
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
        for (const design::ButtonEdges& e : design::kButtonEdges) {
            const QColor face = ui::ToColor(*design::ControlNamed(e.control).colour);
            QCOMPARE(ui::ToColor(e.light).name(), face.lighter(150).name());
            QCOMPARE(ui::ToColor(e.dark).name(), face.darker(200).name());
        }
    }

    void enterInABoxCalculatesAndOnAButtonPressesIt() {
        ClickOption(Option1(*window, 3));
        Type(Text2(*window, 0), "170");
        Type(Text2(*window, 1), "60");
        Type(Text2(*window, 2), "90");
        QTest::mouseClick(Command1(*window, 0), Qt::LeftButton);
        const QString clicked = Output();
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(Command1(*window, 1), Qt::LeftButton);
            Type(Text2(*window, 0), "170");
            Type(Text2(*window, 1), "60");
            Type(Text2(*window, 2), "90");
            QTest::keyClick(Text2(*window, i), i == 1 ? Qt::Key_Enter : Qt::Key_Return);
            QCOMPARE(Output(), clicked);
        }
        // Enter, or the keypad's, on a focused push button presses it.
        Command1(*window, 1)->setFocus();
        QTest::keyClick(Command1(*window, 1), Qt::Key_Return);
        QCOMPARE(Output(), QStringLiteral("Направете нов избор"));
        Type(Text2(*window, 0), "170");
        Type(Text2(*window, 1), "60");
        Type(Text2(*window, 2), "90");
        Command1(*window, 0)->setFocus();
        QTest::keyClick(Command1(*window, 0), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(Output(), clicked);
    }

    void controlsAreNamedForAssistiveTechnology() {
        const auto name = [](QWidget* w) {
            return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        };
        for (const design::Caption& c : design::kBoxCaptions) {
            auto* label = Find<QLabel>(*window, ui::Q(c.label));
            auto* box = Find<QLineEdit>(*window, ui::Q(c.box));
            QCOMPARE(label->buddy(), box);
            QCOMPARE(label->parentWidget(), box->parentWidget());
            QCOMPARE(name(box), c.spoken.empty() ? label->text() : ui::Q(c.spoken));
        }
        QCOMPARE(name(Text3(*window, 0)), QStringLiteral("Възраст, години"));
        QCOMPARE(name(Text1(*window)), QStringLiteral("Резултат"));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(name(Option1(*window, i)), Option1(*window, i)->text());
        for (int i = 0; i < 2; ++i)
            QCOMPARE(name(Option2(*window, i)), Option2(*window, i)->text());
        QCOMPARE(name(Command1(*window, 0)), QStringLiteral("Изчисли"));
        QCOMPARE(name(Command1(*window, 1)), QStringLiteral("Изтрий"));
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
        const auto acceptWarning = [] {
            QTimer::singleShot(0, [] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                    box->accept();
            });
        };
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
                 acceptWarning();
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

    void iconIsATransparentHamburger() {
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

QTEST_MAIN(WindowTest)
#include "window_test.moc"
