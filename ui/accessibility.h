// SPDX-License-Identifier: GPL-3.0-or-later
// What screen readers learn of the window beyond what Qt tells them by
// itself: messages spoken without moving the focus, a named group around
// the option buttons, and input boxes whose text any request can walk.
// None of it changes what the window shows.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class QAbstractButton;

namespace ui {

// Puts the interfaces below in place of Qt's own for every line edit, option
// button, plain window, announcer and option group. Call it before the
// first such widget is made: Qt keeps the interface it first handed out.
// Calling it again changes nothing.
void InstallAccessibility();

// Hands a message to assistive technology as a notification that appears:
// a screen reader speaks it wherever the focus is. Takes no room and paints
// nothing, so a sighted user sees no change.
class Announcer : public QWidget {
    Q_OBJECT

public:
    explicit Announcer(QWidget* parent);

    // Also when the message is the same as the last one: each call is news.
    void Announce(const QString& message);
};

// Option buttons that make one choice, shown to assistive technology as a
// group with a name ("1 of 4" and the name of the choice). The buttons stay
// where they are among the window's widgets.
class OptionGroup : public QObject {
    Q_OBJECT

public:
    OptionGroup(const QString& name, const QList<QAbstractButton*>& members, QWidget* window);

    const QString& Name() const { return name_; }
    QList<QAbstractButton*> Members() const;

private:
    QString name_;
    QList<QPointer<QAbstractButton>> members_;
};

}  // namespace ui
