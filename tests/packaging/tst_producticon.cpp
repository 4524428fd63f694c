// SPDX-License-Identifier: GPL-3.0-or-later
// The installed icons show the window's icon: the scalable SVG is the same picture as the drawing
// in code at every theme size, and without an installed theme the window still gets the drawing.
#include "app/ProductIcon.h"
#include "TestConfig.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

namespace {

QImage renderSvg(const QString &file, int size)
{
    QSvgRenderer renderer(file);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!renderer.isValid())
        return {};
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// How many pixels differ by more than TOLERANCE in any channel.
int differingPixels(const QImage &a, const QImage &b, int tolerance)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance ||
                std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance ||
                std::abs(qAlpha(p) - qAlpha(q)) > tolerance)
                ++count;
        }
    }
    return count;
}

} // namespace

class TestProductIcon : public QObject
{
    Q_OBJECT

private slots:
    void scalableIconIsTheDrawing_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 48, 64, 128, 256})
            QTest::addRow("%dpx", size) << size;
    }

    void scalableIconIsTheDrawing()
    {
        QFETCH(int, size);
        const QString svg =
            QStringLiteral(MORWENDA_SOURCE_DIR "/packaging/%1.svg").arg(QLatin1String(DesktopId));
        const QImage scalable = renderSvg(svg, size);
        QVERIFY2(!scalable.isNull(), qPrintable("cannot read " + svg));
        const QImage drawn = drawnProductIcon(size).convertToFormat(scalable.format());
        QCOMPARE(drawn.size(), QSize(size, size));

        // Both come out of Qt's raster painter, pixel for pixel today; another renderer may
        // antialias a few edge pixels differently. A line moved or shortened by one unit, a
        // colour changed by a few levels or a missing corner changes far more.
        const int differing = differingPixels(drawn, scalable, 8);
        if (differing > size / 4) {
            const QString out = QDir::temp().filePath(QStringLiteral("producticon-%1").arg(size));
            drawn.save(out + "-drawn.png");
            scalable.save(out + "-svg.png");
            QFAIL(qPrintable(QStringLiteral("%1 of %2 pixels differ; see %3-drawn.png, -svg.png")
                                 .arg(differing)
                                 .arg(size * size)
                                 .arg(out)));
        }
    }

    void windowGetsTheDrawingWithoutATheme()
    {
        const QTemporaryDir noThemes;
        QIcon::setThemeSearchPaths({noThemes.path()});
        const QIcon icon = productIcon();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixmap(64).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 drawnProductIcon(64));
    }
};

QTEST_MAIN(TestProductIcon)
#include "tst_producticon.moc"
