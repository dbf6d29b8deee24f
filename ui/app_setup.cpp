// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app_setup.h"

#include <QCoreApplication>
#include <QFile>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QTranslator>
#include <vector>

namespace ui {

inline constexpr int kIconSizes[] = {32, 48, 64, 128};

// The XPM file is C source whose data are its quoted strings, in order.
// Reading them here, rather than through QImageReader, spares loading every
// image-format plugin just to learn that the file is an XPM.
QImage IconImage() {
    QFile file(QStringLiteral(":/teglomer.xpm"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray source = file.readAll();
    std::vector<QByteArray> strings;
    for (qsizetype i = 0; i < source.size(); ++i) {
        if (source.at(i) == '/' && i + 1 < source.size() && source.at(i + 1) == '*') {
            const qsizetype end = source.indexOf("*/", i + 2);
            if (end < 0) break;
            i = end + 1;
        } else if (source.at(i) == '"') {
            const qsizetype end = source.indexOf('"', i + 1);
            if (end < 0) break;
            strings.push_back(source.mid(i + 1, end - i - 1));
            i = end;
        }
    }
    std::vector<const char*> lines;
    for (const QByteArray& s : strings) lines.push_back(s.constData());
    lines.push_back(nullptr);
    // In full colour: an indexed image would be dithered on its way to a pixmap.
    return QImage(lines.data()).convertToFormat(QImage::Format_ARGB32);
}

QImage IconImage(int size) {
    return IconImage().scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

namespace {

// Scales the drawing pixel for pixel to whatever size is asked, when it is
// asked: most sizes are never needed, and at start-up none may be.
class DrawingIconEngine : public QIconEngine {
public:
    explicit DrawingIconEngine(QImage drawing) : drawing_(std::move(drawing)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->drawImage(rect, Scaled(rect.size()));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        return QPixmap::fromImage(Scaled(size));
    }
    // `size` is already in device pixels.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal scale) override {
        QPixmap pixmap = QPixmap::fromImage(Scaled(size));
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int size : kIconSizes) sizes.append(QSize(size, size));
        return sizes;
    }
    QString key() const override { return QStringLiteral("teglomer-drawing"); }
    QIconEngine* clone() const override { return new DrawingIconEngine(drawing_); }

private:
    QImage Scaled(const QSize& size) const {
        return size == drawing_.size()
                   ? drawing_
                   : drawing_.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }

    QImage drawing_;
};

}  // namespace

QIcon AppIcon() { return QIcon(new DrawingIconEngine(IconImage())); }

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
