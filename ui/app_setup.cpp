#include "ui/app_setup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

inline constexpr int kIconSizes[] = {32, 48, 64, 128};

// In full colour: an indexed image would be dithered on its way to a pixmap.
QImage IconImage() {
    return QImage(QStringLiteral(":/teglomer.xpm")).convertToFormat(QImage::Format_ARGB32);
}

QImage IconImage(int size) {
    return IconImage().scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : kIconSizes) icon.addPixmap(QPixmap::fromImage(IconImage(size)));
    return icon;
}

bool InstallQtTranslations(QCoreApplication& app, const QString& folder) {
    const QString path =
        folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"), path)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace ui
