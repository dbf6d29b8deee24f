// SPDX-License-Identifier: GPL-3.0-or-later
// What assistive technology gets from the window, asked in-process through
// Qt's accessibility interfaces: text walked by every boundary at every
// offset, the option group, edits, and the notification that shows nothing.
#include "ui/accessibility.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "tests/ui/controls.h"
#include "ui/orlaven.h"

using testing_support::Command1;
using testing_support::Find;
using testing_support::Option1;
using testing_support::Option2;
using testing_support::Text1;
using testing_support::Text3;
using ui::Orlaven;

namespace {

constexpr QAccessible::TextBoundaryType kBoundaries[] = {
    QAccessible::CharBoundary,      QAccessible::WordBoundary, QAccessible::SentenceBoundary,
    QAccessible::ParagraphBoundary, QAccessible::LineBoundary, QAccessible::NoBoundary,
};

struct Unit {
    QString text;
    int start, end;
    bool operator==(const Unit&) const = default;
};

QString Describe(const Unit& u) {
    return QStringLiteral("'%1' (%2-%3)").arg(u.text).arg(u.start).arg(u.end);
}

enum class Which { Before, At, After };

Unit Ask(QAccessibleTextInterface* t, Which which, int offset, QAccessible::TextBoundaryType type) {
    Unit u{{}, -9, -9};
    switch (which) {
        case Which::Before:
            u.text = t->textBeforeOffset(offset, type, &u.start, &u.end);
            break;
        case Which::At:
            u.text = t->textAtOffset(offset, type, &u.start, &u.end);
            break;
        case Which::After:
            u.text = t->textAfterOffset(offset, type, &u.start, &u.end);
            break;
    }
    return u;
}

QAccessibleInterface* Iface(QObject* o) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(o);
    if (!iface) qFatal("no accessible interface for %s", qPrintable(o->objectName()));
    return iface;
}

QAccessibleTextInterface* TextOf(QWidget* w) {
    QAccessibleTextInterface* t = Iface(w)->textInterface();
    if (!t) qFatal("%s has no text interface", qPrintable(w->objectName()));
    return t;
}

// Every answer for `text`, at every offset from 0 to the end, must lie
// inside the text and match its offsets. The input boxes cut their text into
// units that cover it without gaps, and the end stands on the last word or
// line. The output box keeps Qt's conventions for a document: a line break
// belongs to no unit, a word touching the offset may end there, and the
// unit before the first is the first again.
enum class Rules { Tiling, Document };

void CheckEveryOffset(QAccessibleTextInterface* t, const QString& text, Rules rules) {
    const int length = int(text.size());
    QCOMPARE(t->characterCount(), length);
    const auto inside = [&](const Unit& u) {
        return 0 <= u.start && u.start <= u.end && u.end <= length &&
               u.text == text.mid(u.start, u.end - u.start);
    };
    for (QAccessible::TextBoundaryType type : kBoundaries) {
        const auto at = [&](int o) { return Ask(t, Which::At, o, type); };
        for (int o = 0; o <= length; ++o) {
            const Unit u = at(o);
            const Unit before = Ask(t, Which::Before, o, type);
            const Unit after = Ask(t, Which::After, o, type);
            const QString where = QStringLiteral("'%1' type %2 offset %3: %4, before %5, after %6")
                                      .arg(text.left(20))
                                      .arg(int(type))
                                      .arg(o)
                                      .arg(Describe(u), Describe(before), Describe(after));
            QVERIFY2(inside(u) && inside(before) && inside(after), qPrintable(where));
            const Unit character =
                o < length ? Unit{text.mid(o, 1), o, o + 1} : Unit{{}, length, length};
            if (type == QAccessible::CharBoundary) QVERIFY2(u == character, qPrintable(where));
            if (type == QAccessible::NoBoundary) QVERIFY2(u.text == text, qPrintable(where));
            if (rules == Rules::Document) {
                QVERIFY2(u.start <= o, qPrintable(where));
                QVERIFY2(before.start <= u.start && before.end <= u.end, qPrintable(where));
                QVERIFY2(after.start >= u.start && after.end >= u.end, qPrintable(where));
                if (type != QAccessible::NoBoundary)
                    QVERIFY2(!u.text.chopped(u.text.isEmpty() ? 0 : 1).contains('\n'),
                             qPrintable(where));
                continue;
            }
            if (o < length) {
                QVERIFY2(u.start <= o && o < u.end, qPrintable(where));
                QVERIFY2(at(u.start) == u, qPrintable(where));
            } else if (type == QAccessible::CharBoundary || length == 0) {
                QVERIFY2(u.start == length && u.end == length, qPrintable(where));
            } else {
                QVERIFY2(u.end == length && u.start < length, qPrintable(where));
            }
            const Unit previous = u.start > 0 ? at(u.start - 1) : Unit{{}, 0, 0};
            const Unit next = u.end < length ? at(u.end) : Unit{{}, length, length};
            QVERIFY2(before == previous && after == next, qPrintable(where));
        }
    }
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Orlaven> window;

    QLineEdit* Box(int i) const { return testing_support::Text2(*window, i); }
    QRadioButton* Option(int i) const { return testing_support::Option1(*window, i); }

private slots:
    void init() { window = testing_support::ShownWindow(); }
    void cleanup() { window.reset(); }

    // Every text a box can hold, of these characters, up to its three.
    void inputBoxAnswersEveryBoundaryAtEveryOffset() {
        const QString alphabet = QStringLiteral("17 .,-е");
        QStringList texts{QString()};
        for (int length = 1; length <= 3; ++length)
            for (const QString& shorter : QStringList(texts))
                if (shorter.size() == length - 1)
                    for (QChar c : alphabet) texts << shorter + c;
        QCOMPARE(texts.size(), 1 + 7 + 49 + 343);
        QLineEdit* box = Box(0);
        QAccessibleTextInterface* t = TextOf(box);
        for (const QString& text : texts) {
            box->setText(text);
            QCOMPARE(box->text(), text);
            CheckEveryOffset(t, text, Rules::Tiling);
            if (QTest::currentTestFailed()) return;
        }
    }

    void inputBoxUnits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        const int c = QAccessible::CharBoundary, w = QAccessible::WordBoundary,
                  l = QAccessible::LineBoundary, s = QAccessible::SentenceBoundary;
        // Where Ctrl+Right from Home lands in a filled box.
        QTest::newRow("word at the end") << "170" << w << 3 << "170" << 0 << 3;
        QTest::newRow("word inside") << "170" << w << 1 << "170" << 0 << 3;
        QTest::newRow("no character at the end") << "170" << c << 3 << "" << 3 << 3;
        QTest::newRow("last character") << "170" << c << 2 << "0" << 2 << 3;
        QTest::newRow("line at the end") << "170" << l << 3 << "170" << 0 << 3;
        QTest::newRow("word takes its space") << "1 7" << w << 1 << "1 " << 0 << 2;
        QTest::newRow("second word") << "1 7" << w << 2 << "7" << 2 << 3;
        QTest::newRow("second word at the end") << "1 7" << w << 3 << "7" << 2 << 3;
        QTest::newRow("a decimal number is one word") << "1.5" << w << 0 << "1.5" << 0 << 3;
        QTest::newRow("leading space") << " 17" << w << 0 << " " << 0 << 1;
        QTest::newRow("sentence") << "1 7" << s << 3 << "1 7" << 0 << 3;
        QTest::newRow("empty box") << "" << w << 0 << "" << 0 << 0;
        QTest::newRow("beyond the end") << "17" << w << 3 << "" << -1 << -1;
        QTest::newRow("before the start") << "17" << c << -1 << "" << -1 << -1;
        QTest::newRow("the caret, at the end") << "17" << w << -2 << "17" << 0 << 2;
    }
    void inputBoxUnits() {
        QFETCH(QString, text);
        QFETCH(int, type);
        QFETCH(int, offset);
        QFETCH(QString, expected);
        QFETCH(int, start);
        QFETCH(int, end);
        Box(1)->setText(text);
        const Unit u = Ask(TextOf(Box(1)), Which::At, offset, QAccessible::TextBoundaryType(type));
        QCOMPARE(Describe(u), Describe(Unit{expected, start, end}));
    }

    // Qt's own interface for the output box, with the text at start and
    // after a report.
    void outputBoxAnswersEveryBoundaryAtEveryOffset() {
        // Qt asks its own text cursor for the place before the start, and
        // complains of it each time.
        static QtMessageHandler forward = nullptr;
        forward = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context,
                                            const QString& message) {
            if (message != QLatin1String("QTextCursor::setPosition: Position '-1' out of range"))
                forward(type, context, message);
        });
        const auto restore = qScopeGuard([] { qInstallMessageHandler(forward); });
        auto* box = testing_support::Text1(*window);
        CheckEveryOffset(TextOf(box), box->toPlainText(), Rules::Document);
        window->SetOutputText("Изчисляване: индекс на Брок\r\nЖелано тегло: 65\r\n");
        CheckEveryOffset(TextOf(box), box->toPlainText(), Rules::Document);
    }

    void editsKeepTheLengthLimit_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("after");
        // clang-format off
        QTest::newRow("insert into a full box") << "170" << "insert" << 0 << 0 << "5" << "170";
        QTest::newRow("insert what fits")       << "17"  << "insert" << 2 << 2 << "05" << "170";
        QTest::newRow("replace")                << "170" << "replace" << 0 << 3 << "9999" << "999";
        QTest::newRow("delete")                 << "170" << "delete" << 1 << 2 << "" << "10";
        QTest::newRow("delete beyond the end")  << "170" << "delete" << 2 << 9 << "" << "17";
        QTest::newRow("value")                  << "1"   << "value" << 0 << 0 << "12345" << "123";
        // clang-format on
    }
    void editsKeepTheLengthLimit() {
        QFETCH(QString, before);
        QFETCH(QString, edit);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, text);
        QFETCH(QString, after);
        for (bool readOnly : {false, true}) {
            QLineEdit* box = Box(0);
            box->setText(before);
            box->setReadOnly(readOnly);
            QAccessibleInterface* iface = Iface(box);
            QAccessibleEditableTextInterface* e = iface->editableTextInterface();
            QVERIFY(e);
            if (edit == "insert") e->insertText(start, text);
            if (edit == "replace") e->replaceText(start, end, text);
            if (edit == "delete") e->deleteText(start, end);
            if (edit == "value") iface->setText(QAccessible::Value, text);
            QCOMPARE(box->text(), readOnly ? before : after);
            QCOMPARE(iface->text(QAccessible::Value), box->text());
            QCOMPARE(bool(iface->state().readOnly), readOnly);
            box->setReadOnly(false);
        }
    }

    void selectionAndCaret() {
        QLineEdit* box = Box(0);
        box->setText(QStringLiteral("170"));
        QAccessibleTextInterface* t = TextOf(box);
        t->setSelection(0, 1, 3);
        QCOMPARE(box->selectedText(), QStringLiteral("70"));
        QCOMPARE(t->selectionCount(), 1);
        int start = -1, end = -1;
        t->selection(0, &start, &end);
        QCOMPARE(QPair(start, end), QPair(1, 3));
        t->removeSelection(0);
        QCOMPARE(t->selectionCount(), 0);
        t->setCursorPosition(1);
        QCOMPARE(box->cursorPosition(), 1);
        QCOMPARE(t->cursorPosition(), 1);
        QCOMPARE(t->text(1, 9), QStringLiteral("70"));
    }

    // Where each character is drawn, and back: a magnifier or a braille
    // display's cursor routing needs both.
    void characterPlacesAgreeWithTheBox() {
        QLineEdit* box = Box(0);
        box->setText(QStringLiteral("170"));
        for (int caret : {0, 3}) {
            box->setCursorPosition(caret);
            QAccessibleTextInterface* t = TextOf(box);
            const QRect boxRect(box->mapToGlobal(QPoint(0, 0)), box->size());
            int lastRight = boxRect.left();
            for (int i = 0; i < 3; ++i) {
                const QRect r = t->characterRect(i);
                QVERIFY2(boxRect.contains(r), qPrintable(QString::number(i)));
                QVERIFY(r.width() > 2 && r.left() >= lastRight - 1);
                lastRight = r.right();
                QCOMPARE(t->offsetAtPoint(QPoint(r.left() + 1, r.center().y())), i);
                QCOMPARE(t->offsetAtPoint(QPoint(r.right(), r.center().y())), i + 1);
            }
            QCOMPARE(t->characterRect(3), QRect());
        }
    }

    // For screen readers each group's options sit in a group named after the
    // choice, where its first option stood; the widgets themselves stay
    // children of the window.
    void optionsFormANamedGroup() {
        QAccessibleInterface* windowIface = Iface(window.get());
        QList<QAccessibleInterface*> groups;
        for (int i = 0; i < windowIface->childCount(); ++i) {
            QAccessibleInterface* child = windowIface->child(i);
            QVERIFY(child);
            QCOMPARE(windowIface->indexOfChild(child), i);
            QCOMPARE(child->parent(), windowIface);
            QVERIFY(child->role() != QAccessible::RadioButton);
            if (child->role() == QAccessible::Grouping) groups << child;
        }
        // The window's children as the design lists them, each group once.
        QStringList places;
        for (const auto& d : design::kControls)
            if (d.kind != design::Kind::OptionButton) {
                places << testing_support::DesignName(d);
            } else if (!places.contains(ui::Q(design::GroupOf(d).options))) {
                places << ui::Q(design::GroupOf(d).options);
            }
        QCOMPARE(groups.size(), int(design::kOptionGroups.size()));
        for (std::size_t g = 0; g < design::kOptionGroups.size(); ++g) {
            const design::OptionGroup& designed = design::kOptionGroups[g];
            QAccessibleInterface* group = groups[int(g)];
            QCOMPARE(group->text(QAccessible::Name), ui::Q(designed.spoken));
            QCOMPARE(windowIface->indexOfChild(group), places.indexOf(ui::Q(designed.options)));
            QRect options;
            int i = 0;
            for (const auto& d : design::kControls) {
                if (d.kind != design::Kind::OptionButton || d.name != designed.options) continue;
                auto* widget =
                    testing_support::Find<QRadioButton>(*window, testing_support::DesignName(d));
                QAccessibleInterface* option = group->child(i);
                QCOMPARE(option->object(), widget);
                QCOMPARE(option->parent(), group);
                QCOMPARE(group->indexOfChild(option), i++);
                QCOMPARE(option->role(), QAccessible::RadioButton);
                QCOMPARE(option->text(QAccessible::Name), widget->text());
                QCOMPARE(widget->parentWidget(), window.get());
                options |= QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
            }
            QCOMPARE(group->childCount(), i);
            QCOMPARE(group->rect(), options);
        }
        QAccessibleInterface* group = groups.front();
        const QPoint onBroca = group->child(1)->rect().center();
        QCOMPARE(windowIface->childAt(onBroca.x(), onBroca.y()), group);
        QCOMPARE(group->childAt(onBroca.x(), onBroca.y()), group->child(1));
        QVERIFY(!group->state().invisible);

        // Chosen through the interface as by a click.
        QAccessibleInterface* borngard = group->child(3);
        QVERIFY(!borngard->state().checked && borngard->state().checkable);
        QAccessibleActionInterface* actions = borngard->actionInterface();
        QVERIFY(actions);
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
        actions->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(Option(3)->isChecked() && borngard->state().checked);
        QCOMPARE(window->Form().MethodIndex(), 3);
        QVERIFY(Box(2)->isVisible());
        Option(3)->setFocus();
        QCOMPARE(group->focusChild(), borngard);
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

    // The notification takes no room and paints nothing.
    void announcingChangesNothingOnScreen() {
        auto* announcer = window->findChild<ui::Announcer*>();
        QVERIFY(announcer);
        QCOMPARE(Iface(announcer)->role(), QAccessible::Notification);
        const QImage before = window->grab().toImage();
        announcer->Announce(QStringLiteral("Изчисляване: индекс на Брок\nЖелано тегло: 65\n"));
        QVERIFY(announcer->isVisible());
        QCOMPARE(announcer->size(), QSize(0, 0));
        QCOMPARE(Iface(announcer)->text(QAccessible::Name),
                 QStringLiteral("Изчисляване: индекс на Брок\nЖелано тегло: 65\n"));
        QVERIFY(!announcer->focusPolicy());
        QCOMPARE(window->grab().toImage(), before);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
