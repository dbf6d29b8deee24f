// SPDX-License-Identifier: GPL-3.0-or-later
// The web page's icons, as the site's build wrote them (the folder
// TEGLOMER_SITE), read back by Qt: each one the manifest names is the
// drawing, pixel for pixel, only larger. Run from the WebAssembly build.
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class SiteIconsTest : public QObject {
    Q_OBJECT

private slots:
    void iconsAreTheDrawingPixelForPixel() {
        const QString site = qEnvironmentVariable("TEGLOMER_SITE");
        QFile manifest(site + QStringLiteral("/manifest.webmanifest"));
        QVERIFY2(manifest.open(QIODevice::ReadOnly), qPrintable("no site in " + site));
        const QJsonArray icons = QJsonDocument::fromJson(manifest.readAll())["icons"].toArray();
        QVERIFY(!icons.isEmpty());
        const QImage drawing =
            QImage(QStringLiteral(":/teglomer.xpm")).convertToFormat(QImage::Format_ARGB32);
        for (const QJsonValue& entry : icons) {
            const QJsonObject icon = entry.toObject();
            const QImage image =
                QImage(site + '/' + icon["src"].toString()).convertToFormat(QImage::Format_ARGB32);
            const int factor = image.width() / drawing.width();
            QCOMPARE(icon["sizes"].toString(), QStringLiteral("%1x%1").arg(image.width()));
            QCOMPARE(image.size(), drawing.size() * factor);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    QCOMPARE(image.pixel(x, y), drawing.pixel(x / factor, y / factor));
        }
    }
};

QTEST_MAIN(SiteIconsTest)
#include "site_icons_test.moc"
