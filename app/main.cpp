#include <QApplication>
#include <QIcon>

#include "ui/orlaven.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/teglomer.xpm")));
    ui::Orlaven window;
    window.show();
    return QApplication::exec();
}
