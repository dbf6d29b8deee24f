// SPDX-License-Identifier: GPL-3.0-or-later
// Finding the window's controls by their design names, for the window's tests.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
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

// A window that writes numbers with a full stop, shown and exposed.
inline std::unique_ptr<ui::Orlaven> ShownWindow() {
    auto window = std::make_unique<ui::Orlaven>(QStringLiteral("."), nullptr);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) qFatal("the window was not exposed");
    return window;
}

}  // namespace testing_support
