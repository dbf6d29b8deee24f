// SPDX-License-Identifier: GPL-3.0-or-later
// What any Qt Widgets program with this window's controls costs to start:
// the same kinds and number of controls, the same font, a text of the same
// length in the output box, and nothing else.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "first_frame.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(12);
    window.setFont(font);
    window.setFixedSize(461, 469);
    for (int i = 0; i < 8; ++i) new QLabel(QStringLiteral("Етикет %1").arg(i), &window);
    for (int i = 0; i < 6; ++i) new QRadioButton(QStringLiteral("Избор %1").arg(i), &window);
    for (int i = 0; i < 5; ++i) new QLineEdit(&window);
    for (int i = 0; i < 2; ++i) new QPushButton(QStringLiteral("Бутон %1").arg(i), &window);
    // In two columns, as the window's controls stand.
    int i = 0;
    for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        child->setGeometry(8 + i % 2 * 230, 26 + i / 2 * 26, 200, 24);
        ++i;
    }
    auto* output = new QPlainTextEdit(&window);
    output->setGeometry(8, 192, 449, 145);
    // Where the program draws its scale, a widget that draws only its background.
    auto* strip = new QWidget(&window);
    strip->setAutoFillBackground(true);
    strip->setGeometry(8, 344, 449, 60);
    // As long as the program's text at start once in the widget: 28 lines,
    // 2025 characters less one for each CR.
    const QString words = QStringLiteral("Текст с дължината на справката при старт. ");
    QString row;
    while (row.size() < 80) row += words;
    QString text;
    for (int line = 0; line < 27; ++line) text += row.left(70) + QLatin1Char('\n');
    text += row.left(2025 - 28 - text.size() - 1) + QLatin1Char('\n');
    output->setPlainText(text);
    QuitAfterFirstFrame(window);
    window.show();
    return QApplication::exec();
}
