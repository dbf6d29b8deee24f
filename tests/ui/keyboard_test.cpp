// SPDX-License-Identifier: GPL-3.0-or-later
// The window by keyboard, as a person without a mouse uses it: the focus
// order, Tab through the options, the ring round the focus, the boxes' length
// limits, Enter in a box and on a button, the output box read-only but
// copyable.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "design/design.h"
#include "design/reference_text.h"
#include "tests/ui/controls.h"
#include "ui/colours.h"
#include "ui/orlaven.h"

using testing_support::ClickOption;
using testing_support::Command1;
using testing_support::Find;
using testing_support::Option1;
using testing_support::Text1;
using testing_support::Text2;
using testing_support::Type;

class KeyboardTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ui::Orlaven> window;

    QString Output() const { return QString::fromStdString(window->OutputText()); }

    QStringList TabChain(int stops) {
        QStringList chain{QApplication::focusWidget()->objectName()};
        for (int i = 1; i < stops; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            chain << QApplication::focusWidget()->objectName();
        }
        return chain;
    }

private slots:
    void init() { window = testing_support::ShownWindow(); }
    void cleanup() { window.reset(); }

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
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
