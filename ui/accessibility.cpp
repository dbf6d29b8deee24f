// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/accessibility.h"

#include <QAbstractButton>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QKeySequence>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextBoundaryFinder>
#include <QWindow>

namespace ui {
namespace {

// ---- Walking a single line of text by characters, words and sentences ----
//
// Qt's own line-edit interface loops for ever when asked for the word at the
// end of the text, so the boxes answer with the code below. Every request
// first cuts the whole text into units that cover it without gaps, walking
// each boundary finder forward only, so it ends after at most one step per
// character.

struct Span {
    int start = 0;
    int end = 0;
};

// The positions strictly inside `text` where `type` lets a unit begin.
QList<int> InnerBreaks(const QString& text, QTextBoundaryFinder::BoundaryType type,
                       bool wordStartsOnly) {
    QList<int> breaks;
    QTextBoundaryFinder finder(type, text);
    int last = 0;
    for (qsizetype p = finder.toNextBoundary(); p > last && p < text.size();
         p = finder.toNextBoundary()) {
        if (!wordStartsOnly || finder.boundaryReasons().testFlag(QTextBoundaryFinder::StartOfItem))
            breaks.append(int(p));
        last = int(p);
    }
    return breaks;
}

// The units of `text` for one boundary type, in order. A word runs from its
// start to the start of the next word, taking the spaces between them, as
// the caret moves by words; the box has one line.
QList<Span> Units(const QString& text, QAccessible::TextBoundaryType type) {
    QList<int> breaks;
    switch (type) {
        case QAccessible::CharBoundary:
            breaks = InnerBreaks(text, QTextBoundaryFinder::Grapheme, false);
            break;
        case QAccessible::WordBoundary:
            breaks = InnerBreaks(text, QTextBoundaryFinder::Word, true);
            break;
        case QAccessible::SentenceBoundary:
            breaks = InnerBreaks(text, QTextBoundaryFinder::Sentence, false);
            break;
        case QAccessible::ParagraphBoundary:
        case QAccessible::LineBoundary:
        case QAccessible::NoBoundary:
            break;
    }
    QList<Span> units;
    if (text.isEmpty()) return units;
    int start = 0;
    for (int b : breaks) {
        units.append({start, b});
        start = b;
    }
    units.append({start, int(text.size())});
    return units;
}

// Which unit `offset` (0 to the length) is in: the one holding the
// character there. At the end of the text there is no character, but the
// caret still stands on the last word, sentence and line.
qsizetype UnitIndex(const QList<Span>& units, int offset, QAccessible::TextBoundaryType type) {
    for (qsizetype i = 0; i < units.size(); ++i)
        if (offset < units[i].end) return i;
    if (type == QAccessible::CharBoundary || units.isEmpty()) return units.size();
    return units.size() - 1;
}

enum class Relative { Before, At, After };

// The unit before, at or after `offset`; out of range offsets get nothing.
QString TextUnit(const QString& text, int offset, QAccessible::TextBoundaryType type,
                 Relative which, int* startOffset, int* endOffset) {
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > text.size()) return {};
    const QList<Span> units = Units(text, type);
    const qsizetype at = UnitIndex(units, offset, type);
    const qsizetype wanted = at + (which == Relative::Before  ? -1
                                   : which == Relative::After ? 1
                                                              : 0);
    Span span;
    if (wanted < 0) {
        span = {0, 0};
    } else if (wanted >= units.size()) {
        span = {int(text.size()), int(text.size())};
    } else {
        span = units[wanted];
    }
    *startOffset = span.start;
    *endOffset = span.end;
    return text.mid(span.start, span.end - span.start);
}

// "&Foo" is shown as "Foo" with F underlined, "&&" as "&".
QString WithoutMnemonic(const QString& caption) {
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
        shown += caption[i];
    }
    return shown;
}

OptionGroup* GroupOf(QObject* member) {
    if (!member || !member->parent()) return nullptr;
    for (auto* group : member->parent()->findChildren<OptionGroup*>(Qt::FindDirectChildrenOnly))
        for (QAbstractButton* m : group->Members())
            if (m == member) return group;
    return nullptr;
}

// ---- Input boxes ----

// A line edit as Qt presents it, with text walking that always ends. Edits
// from assistive technology go the way typing does, so the length limit
// holds for them too.
class InputBoxAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    explicit InputBoxAccessible(QLineEdit* box)
        : QAccessibleWidget(box, QAccessible::EditableText) {}

    QLineEdit* Box() const { return static_cast<QLineEdit*>(widget()); }
    // What the box shows: a password box shows its mask, never the text.
    QString Shown() const { return Box()->displayText(); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (t == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = true;
        if (Box()->isReadOnly()) s.readOnly = true;
        if (Box()->echoMode() != QLineEdit::Normal) s.passwordEdit = true;
        s.selectableText = true;
        return s;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return Shown();
        QString s = QAccessibleWidget::text(t);
        if (s.isEmpty() && t == QAccessible::Description) s = Box()->placeholderText();
        return s;
    }

    void setText(QAccessible::Text t, const QString& text) override {
        if (t != QAccessible::Value) return QAccessibleWidget::setText(t, text);
        replaceText(0, int(Box()->text().size()), text);
    }

    // Text
    QString text(int startOffset, int endOffset) const override {
        const QString shown = Shown();
        startOffset = qMax(startOffset, 0);
        endOffset = qMin(endOffset, int(shown.size()));
        if (startOffset >= endOffset) return {};
        return shown.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(Shown().size()); }
    int cursorPosition() const override { return Box()->cursorPosition(); }
    void setCursorPosition(int position) override { Box()->setCursorPosition(position); }

    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                             int* endOffset) const override {
        return TextUnit(Shown(), Offset(offset), type, Relative::Before, startOffset, endOffset);
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                         int* endOffset) const override {
        return TextUnit(Shown(), Offset(offset), type, Relative::At, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                            int* endOffset) const override {
        return TextUnit(Shown(), Offset(offset), type, Relative::After, startOffset, endOffset);
    }

    int selectionCount() const override { return Box()->hasSelectedText() ? 1 : 0; }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !Box()->hasSelectedText()) return;
        *startOffset = Box()->selectionStart();
        *endOffset = Box()->selectionEnd();
    }
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex == 0) Box()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex == 0) Box()->setSelection(startOffset, endOffset - startOffset);
    }

    // Where a character is drawn, in screen coordinates. The caret's
    // rectangle is centred on the caret and tells where the box has
    // scrolled its text to.
    QRect characterRect(int offset) const override {
        const QString shown = Shown();
        if (offset < 0 || offset >= shown.size()) return {};
        const QFontMetrics metrics(Box()->font());
        const QRect caret = Box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        const int textLeft =
            caret.center().x() - metrics.horizontalAdvance(shown.left(Box()->cursorPosition()));
        const QRect local(textLeft + metrics.horizontalAdvance(shown.left(offset)), caret.top(),
                          metrics.horizontalAdvance(shown.mid(offset, 1)), caret.height());
        return local.translated(Box()->mapToGlobal(QPoint(0, 0)));
    }
    int offsetAtPoint(const QPoint& point) const override {
        return Box()->cursorPositionAt(Box()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int) override { Box()->setCursorPosition(startIndex); }
    // Plain text throughout.
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = -1;
        if (offset == -2) offset = cursorPosition();
        if (offset < 0 || offset > characterCount()) return {};
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    // Editable text
    void deleteText(int startOffset, int endOffset) override {
        replaceText(startOffset, endOffset, {});
    }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        QLineEdit* box = Box();
        if (box->isReadOnly()) return;
        const int length = int(box->text().size());
        startOffset = qBound(0, startOffset, length);
        endOffset = qBound(startOffset, endOffset, length);
        box->setSelection(startOffset, endOffset - startOffset);
        box->insert(text);
    }

private:
    // -2 stands for the caret.
    int Offset(int offset) const { return offset == -2 ? cursorPosition() : offset; }
};

// ---- The option group ----

// An option button as Qt presents it, but a child of its group when it has
// one.
class OptionAccessible : public QAccessibleWidget {
public:
    explicit OptionAccessible(QAbstractButton* button)
        : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }

    QAccessibleInterface* parent() const override {
        if (OptionGroup* group = GroupOf(widget()))
            return QAccessible::queryAccessibleInterface(group);
        return QAccessibleWidget::parent();
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return WithoutMnemonic(Button()->text());
        if (t == QAccessible::Accelerator)
            return QKeySequence::mnemonic(Button()->text()).toString(QKeySequence::NativeText);
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        if (Button()->isChecked()) s.checked = true;
        if (Button()->isDown()) s.pressed = true;
        return s;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled()) names << toggleAction();
        return names + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (!widget()->isEnabled()) return;
        // As a click does: an option is chosen, never unchosen.
        if (action == toggleAction() || action == pressAction()) {
            Button()->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }
};

class GroupAccessible : public QAccessibleObject {
public:
    explicit GroupAccessible(OptionGroup* group) : QAccessibleObject(group) {}

    OptionGroup* Group() const { return static_cast<OptionGroup*>(object()); }
    QWidget* Owner() const { return qobject_cast<QWidget*>(Group()->parent()); }

    bool isValid() const override { return QAccessibleObject::isValid() && Owner(); }
    QWindow* window() const override {
        return Owner() ? Owner()->window()->windowHandle() : nullptr;
    }
    QAccessible::Role role() const override { return QAccessible::Grouping; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? Group()->Name() : QString();
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = true;
        for (QAbstractButton* member : Group()->Members())
            if (member->isVisible()) s.invisible = false;
        return s;
    }
    QRect rect() const override {
        QRect united;
        for (QAbstractButton* member : Group()->Members())
            if (member->isVisible())
                united |= QRect(member->mapToGlobal(QPoint(0, 0)), member->size());
        return united;
    }

    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(Group()->parent());
    }
    int childCount() const override { return int(Group()->Members().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QAbstractButton*> members = Group()->Members();
        if (index < 0 || index >= members.size()) return nullptr;
        return QAccessible::queryAccessibleInterface(members[index]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        return int(Group()->Members().indexOf(qobject_cast<QAbstractButton*>(child->object())));
    }
    QAccessibleInterface* focusChild() const override {
        for (QAbstractButton* member : Group()->Members())
            if (member->hasFocus()) return QAccessible::queryAccessibleInterface(member);
        return nullptr;
    }
};

// A plain window as Qt presents it, with the members of each of its option
// groups moved into the group, which takes the place of the first member.
class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QWidget* window) : QAccessibleWidget(window) {}

    int childCount() const override { return int(Children().size()); }
    QAccessibleInterface* child(int index) const override { return Children().value(index); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return int(Children().indexOf(child));
    }

private:
    QList<QAccessibleInterface*> Children() const {
        QList<QAccessibleInterface*> children;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface* child = QAccessibleWidget::child(i);
            if (!child) continue;
            if (OptionGroup* group = GroupOf(child->object()))
                child = QAccessible::queryAccessibleInterface(group);
            if (child && !children.contains(child)) children.append(child);
        }
        return children;
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (!object) return nullptr;
    if (className == QLatin1String("ui::OptionGroup"))
        return new GroupAccessible(static_cast<OptionGroup*>(object));
    if (!object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("QLineEdit"))
        return new InputBoxAccessible(static_cast<QLineEdit*>(widget));
    if (className == QLatin1String("QRadioButton"))
        return new OptionAccessible(static_cast<QRadioButton*>(widget));
    if (className == QLatin1String("ui::ScaleStrip"))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    if (className == QLatin1String("ui::Announcer"))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    if (className == QLatin1String("QWidget") && widget->isWindow())
        return new WindowAccessible(widget);
    return nullptr;
}

}  // namespace

void InstallAccessibility() { QAccessible::installFactory(Factory); }

Announcer::Announcer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 0, 0);
    hide();
}

void Announcer::Announce(const QString& message) {
    // Screen readers speak a notification when it comes into view, so it
    // goes out of view first.
    hide();
    setAccessibleName(message);
    show();
}

OptionGroup::OptionGroup(const QString& name, const QList<QAbstractButton*>& members,
                         QWidget* window)
    : QObject(window), name_(name) {
    for (QAbstractButton* member : members) members_.append(member);
}

QList<QAbstractButton*> OptionGroup::Members() const {
    QList<QAbstractButton*> members;
    for (const QPointer<QAbstractButton>& member : members_)
        if (member) members.append(member);
    return members;
}

}  // namespace ui
