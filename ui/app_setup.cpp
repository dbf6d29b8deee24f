// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app_setup.h"

#include <QCoreApplication>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QTranslator>

#include "design/icon.h"

namespace ui {

inline constexpr int kIconSizes[] = {32, 48, 64, 128};

// In full colour, as the drawing's pixels are: an indexed image would be
// dithered on its way to a pixmap.
QImage IconImage() {
    const design::Image drawing = design::IconDrawing();
    QImage image(drawing.width, drawing.height, QImage::Format_ARGB32);
    for (int y = 0; y < drawing.height; ++y)
        for (int x = 0; x < drawing.width; ++x) {
            const design::Rgba& p = drawing.At(x, y);
            image.setPixel(x, y, qRgba(p.red, p.green, p.blue, p.alpha));
        }
    return image;
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
