// SPDX-License-Identifier: GPL-3.0-or-later
// The geometry of fitting the window to a screen, rectangles in and out. Sizes are logical
// pixels: a 1366x768 screen at 200 % is 683x384, and the window's controls need 536x544 at least
// and 536x701 by default.
#include "app/ScreenFit.h"

#include <QTest>

using namespace screenfit;

namespace {

const QSize Least(536, 544);
const QSize Full(536, 701);
const int Bar = 15;
// openbox's frame at 200 %: a title bar of 10, borders of 1 and a handle of 3 below.
const QMargins OpenboxFrame(1, 10, 1, 3);

} // namespace

class TestScreenFit : public QObject
{
    Q_OBJECT

private slots:
    void leastHeightKeepsEveryList();
    void fitsTheScreen_data();
    void fitsTheScreen();
    void placesTheFrameOnTheScreen_data();
    void placesTheFrameOnTheScreen();
    void centresTheFrame();
};

void TestScreenFit::leastHeightKeepsEveryList()
{
    // The file list gives 3/5 of the lost height, the preview 2/5; the preview reaches its least
    // first.
    const QList<ListShare> lists{{169, 0.6F, 40}, {103, 0.4F, 40}};
    QCOMPARE(leastHeight(701, lists), 544);
    QCOMPARE(leastHeight(701, {{169, 0.6F, 40}, {103, 0.4F, 80}}), 644);
    QCOMPARE(leastHeight(701, {}), 0);
}

void TestScreenFit::fitsTheScreen_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QMargins>("frame");
    QTest::addColumn<QSize>("wanted");
    QTest::addColumn<QSize>("least");  // the window's least size there
    QTest::addColumn<QSize>("fitted"); // its size there

    const QRect laptop(0, 0, 1366, 768);
    QTest::newRow("room enough: as wanted")
        << laptop << estimatedFrame(24) << Full << Least << Full;
    QTest::newRow("a stored size larger than the screen")
        << laptop << OpenboxFrame << QSize(3000, 3000) << Least << QSize(1364, 755);
    QTest::newRow("1366x768 at 125 %: lower, no scrolling")
        << QRect(0, 0, 1093, 614) << estimatedFrame(24) << Full << Least << QSize(536, 590);
    // The title bar and the lower edge stay on the screen, and the window can still be made
    // smaller: the controls scroll, up and down only.
    QTest::newRow("1366x768 at 200 % with a frame")
        << QRect(0, 0, 683, 384) << OpenboxFrame << Full << QSize(536, Floor.height())
        << QSize(536 + Bar, 371);
    QTest::newRow("1366x768 at 150 % before the frame is known")
        << QRect(0, 0, 911, 512) << estimatedFrame(24) << Full << QSize(536, Floor.height())
        << QSize(536 + Bar, 488);
    QTest::newRow("a panel above: its height is not room")
        << QRect(0, 30, 683, 354) << OpenboxFrame << Full << QSize(536, Floor.height())
        << QSize(536 + Bar, 341);
    QTest::newRow("narrower than the controls: a scroll bar's height more")
        << QRect(0, 0, 500, 1000) << OpenboxFrame << Least << QSize(Floor.width(), 544)
        << QSize(498, 544 + Bar);
    QTest::newRow("just as wide as the controls: no scrolling")
        << QRect(0, 0, 538, 1000) << OpenboxFrame << Full << Least << Full;
    QTest::newRow("smaller than the floor: the floor")
        << QRect(0, 0, 100, 100) << OpenboxFrame << Full << Floor << Floor;
}

void TestScreenFit::fitsTheScreen()
{
    QFETCH(QRect, area);
    QFETCH(QMargins, frame);
    QFETCH(QSize, wanted);
    QFETCH(QSize, least);
    QFETCH(QSize, fitted);
    const QSize room = roomWithin(area, frame);
    QCOMPARE(leastWithin(Least, room), least);
    QCOMPARE(fittedSize(wanted, Least, room, Bar), fitted);
    if (room.height() >= Floor.height() && room.width() >= Floor.width()) {
        QVERIFY(fitted.grownBy(frame).height() <= area.height());
        QVERIFY(fitted.grownBy(frame).width() <= area.width());
    }
}

void TestScreenFit::placesTheFrameOnTheScreen_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<QPoint>("topLeft"); // of the frame, as it is
    QTest::addColumn<QSize>("whole");    // the frame's size
    QTest::addColumn<QPoint>("kept");

    const QRect area(0, 30, 683, 354);
    QTest::newRow("on the screen: stays")
        << area << QPoint(20, 40) << QSize(300, 300) << QPoint(20, 40);
    QTest::newRow("title bar above the top")
        << area << QPoint(20, 20) << QSize(300, 300) << QPoint(20, 30);
    QTest::newRow("past the right and lower edges")
        << area << QPoint(600, 300) << QSize(300, 300) << QPoint(383, 84);
    QTest::newRow("larger than the area: top left first")
        << area << QPoint(-50, 300) << QSize(800, 400) << QPoint(0, 30);
}

void TestScreenFit::placesTheFrameOnTheScreen()
{
    QFETCH(QRect, area);
    QFETCH(QPoint, topLeft);
    QFETCH(QSize, whole);
    QFETCH(QPoint, kept);
    QCOMPARE(keptTopLeft(area, topLeft, whole), kept);
}

void TestScreenFit::centresTheFrame()
{
    // The frame, title bar included, is centred; a window too high for that keeps its title bar
    // on the screen.
    QCOMPARE(centredTopLeft(QRect(0, 0, 1366, 768), Full, estimatedFrame(24)), QPoint(414, 21));
    QCOMPARE(centredTopLeft(QRect(0, 30, 683, 354), QSize(551, 371), OpenboxFrame), QPoint(65, 30));
}

QTEST_GUILESS_MAIN(TestScreenFit)
#include "tst_screenfit.moc"
