// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the window's controls by their design names, for the window's tests.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <memory>

#include "design/design.h"
#include "ui/orlaven.h"
#include "ui/qt_text.h"

namespace testing_support {

// A control the design names; a test that asks for one that is not there
// stops at once.
template <typename T = QWidget>
T* Find(const QWidget& window, const QString& name) {
    auto* w = window.findChild<T*>(name);
    if (!w) qFatal("no control %s", qPrintable(name));
    return w;
}

// The name a control of the design table goes by: "Text2(0)".
inline QString DesignName(const design::ControlDesign& d) {
    return ui::Q(d.name) + QStringLiteral("(%1)").arg(d.index);
}

inline QLineEdit* Text2(const QWidget& w, int i) {
    return Find<QLineEdit>(w, QStringLiteral("Text2(%1)").arg(i));
}
inline QLineEdit* Text3(const QWidget& w, int i) {
    return Find<QLineEdit>(w, QStringLiteral("Text3(%1)").arg(i));
}
inline QRadioButton* Option2(const QWidget& w, int i) {
    return Find<QRadioButton>(w, QStringLiteral("Option2(%1)").arg(i));
}
inline QRadioButton* Option1(const QWidget& w, int i) {
    return Find<QRadioButton>(w, QStringLiteral("Option1(%1)").arg(i));
}
inline QPushButton* Command1(const QWidget& w, int i) {
    return Find<QPushButton>(w, QStringLiteral("Command1(%1)").arg(i));
}
inline QPlainTextEdit* Text1(const QWidget& w) {
    return Find<QPlainTextEdit>(w, QStringLiteral("Text1(0)"));
}

// What a person does: type into a box (its old text selected away), click
// an option on its indicator and caption.
inline void Type(QLineEdit* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}
inline void ClickOption(QRadioButton* option) {
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(10, option->height() / 2));
}

// The warning about to open is accepted once it shows; what it said and
// its icon go to the pointers given.
inline void AcceptWarningSoon(QString* text = nullptr, QMessageBox::Icon* icon = nullptr) {
    QTimer::singleShot(0, [text, icon] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (text) *text = box->text();
        if (icon) *icon = box->icon();
        box->accept();
    });
}

// Lines with CR LF ends, as the output box holds them.
inline QString Report(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// The window's size, in pixels.
inline const QSize kClient(design::Pixels(design::kClientWidth),
                           design::Pixels(design::kClientHeight));

// A window that writes numbers with a full stop, shown and exposed.
inline std::unique_ptr<ui::Orlaven> ShownWindow() {
    auto window = std::make_unique<ui::Orlaven>(QStringLiteral("."), nullptr);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qFatal("the window was not exposed");
    return window;
}

}  // namespace testing_support
