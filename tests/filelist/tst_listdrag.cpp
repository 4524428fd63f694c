// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListTesting.h"

#include <QApplication>
#include <QHeaderView>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

namespace {

const QStringList ABCD = {"A", "B", "C", "D"};

// A move over the list's viewport; the screen height is the test's, since the scrolling rule
// reads it.
void moveOver(WindowControls &ui, QPoint at, Qt::MouseButtons held, int screenY = 330)
{
    QWidget *viewport = ui.fileList->viewport();
    const QPoint screen(viewport->mapToGlobal(at).x(), screenY);
    QMouseEvent event(QEvent::MouseMove, at, screen, Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

// One drag by real mouse events: pressed on a row, released where the last move went.
struct Drag
{
    Drag(WindowControls &ui, int row) : ui(ui), at(rowCentre(ui, row))
    {
        QTest::mousePress(ui.fileList->viewport(), Qt::LeftButton, {}, at);
    }
    ~Drag() { QTest::mouseRelease(ui.fileList->viewport(), Qt::LeftButton, {}, at); }
    void moveTo(int row, int screenY = 330) { moveTo(rowCentre(ui, row), screenY); }
    void moveTo(QPoint to, int screenY = 330) { moveOver(ui, at = to, Qt::LeftButton, screenY); }

    WindowControls &ui;
    QPoint at;
};

bool fullyVisible(const WindowControls &ui, int row)
{
    return ui.fileList->viewport()->rect().contains(
        ui.fileList->visualRect(ui.fileRows->index(row)));
}

} // namespace

class TestListDrag : public QObject
{
    Q_OBJECT

private slots:
    void exchangesRows_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QList<int>>("moves");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("selected");
        QTest::newRow("down one row at a time")
            << ABCD << QList<int>{0, 1, 2, 3} << false << QStringList{"B", "C", "D", "A"} << 3;
        QTest::newRow("straight onto the last, while busy")
            << ABCD << QList<int>{3} << true << QStringList{"D", "B", "C", "A"} << 3;
        const QStringList twin = {"A", "B", "A", "C"};
        QTest::newRow("onto the same text") << twin << QList<int>{2} << false << twin << 0;
        QTest::newRow("over the same text and on")
            << twin << QList<int>{2, 3} << false << QStringList{"C", "B", "A", "A"} << 3;
    }

    // The first row is dragged, the pointer beside the column's text: the row's whole width
    // counts. Once let go, the list shows the window's pointer again.
    void exchangesRows()
    {
        QFETCH(QStringList, before);
        QFETCH(QList<int>, moves);
        QFETCH(bool, busy);
        QFETCH(QStringList, after);
        QFETCH(int, selected);
        WindowFixture fx;
        WindowControls &ui = openWith(fx, before);
        ui.pointer->set(busy ? PointerState::Busy : PointerState::Default);
        const QSize area = ui.fileList->viewport()->size();
        // A column the user made narrower than the list leaves room beside it.
        ui.fileList->header()->resizeSection(0, area.width() / 2);
        QVERIFY(!ui.fileList->indexAt(QPoint(area.width() - 3, 5)).isValid());
        {
            Drag drag(ui, 0);
            for (int row : moves)
                drag.moveTo(QPoint(area.width() - 3, rowCentre(ui, row).y()));
            drag.moveTo(QPoint(10, area.height() - 2)); // below the rows
            QCOMPARE(selectedRow(ui), selected);
        }
        QCOMPARE(ui.fileRows->texts(), after);
        QCOMPARE(ui.fileList->viewport()->cursor().shape(),
                 busy ? Qt::WaitCursor : Qt::ArrowCursor);
        VERIFY_NO_BOXES(fx);
    }

    void hoveringNeverMovesRows()
    {
        WindowFixture fx;
        WindowControls &ui = openWith(fx, ABCD);
        // A click may start a long preview that lets moves through: the release ends the drag
        // before the click is handled.
        QList<bool> dragging;
        connect(ui.fileList, &QAbstractItemView::clicked, this,
                [&] { dragging.append(ui.window->fileList().isDragging()); });
        QTest::mouseClick(ui.fileList->viewport(), Qt::LeftButton, {}, rowCentre(ui, 0));
        QCOMPARE(dragging, QList<bool>{false});
        moveOver(ui, rowCentre(ui, 2), Qt::NoButton);
        QCOMPARE(ui.fileRows->texts(), ABCD);
        // A release that went elsewhere: the next move with no button held ends the drag.
        QTest::mousePress(ui.fileList->viewport(), Qt::LeftButton, {}, rowCentre(ui, 0));
        QVERIFY(ui.window->fileList().isDragging());
        moveOver(ui, rowCentre(ui, 3), Qt::NoButton);
        QVERIFY(!ui.window->fileList().isDragging());
        QCOMPARE(ui.fileRows->texts(), ABCD);
    }

    void removedDragItemExchangesNothing()
    {
        for (bool clear : {false, true}) {
            WindowFixture fx;
            WindowControls &ui = openWith(fx, ABCD);
            Drag drag(ui, 1);
            if (clear) {
                ui.clearButton->click();
                ui.fileRows->appendAll(ABCD);
            } else {
                QTest::keyClick(ui.fileList, Qt::Key_Delete);
            }
            const QStringList left = ui.fileRows->texts();
            drag.moveTo(0);
            drag.moveTo(2);
            QCOMPARE(ui.fileRows->texts(), left);
        }
    }

    // drag.ico from the install folder, or a closed hand without it.
    void dragPointer()
    {
        for (bool withIcon : {false, true}) {
            WindowFixture fx;
            if (withIcon) {
                QImage image(32, 32, QImage::Format_ARGB32);
                image.fill(Qt::red);
                QVERIFY(QImageWriter(fx.place.installFolder() + "/drag.ico", "ico").write(image));
            }
            WindowControls &ui = openWith(fx, ABCD);
            {
                Drag drag(ui, 0);
                const QCursor shown = ui.fileList->viewport()->cursor();
                QCOMPARE(shown.shape(), withIcon ? Qt::BitmapCursor : Qt::ClosedHandCursor);
                QCOMPARE(shown.pixmap().size(), withIcon ? QSize(32, 32) : QSize(0, 0));
            }
            QVERIFY(!ui.fileList->testAttribute(Qt::WA_SetCursor));
        }
    }

    void scrollsByScreenHeight_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("screenY");
        QTest::addColumn<int>("scrolls");
        // "top": onto the top row shown, the row above hidden; "bottom": onto the lowest row
        // wholly shown, the row below hidden; "cut": onto the row cut off by the bottom edge.
        QTest::newRow("304 onto the top row shown") << "top" << 304 << -1;
        QTest::newRow("305 onto the top row shown") << "top" << 305 << 0;
        QTest::newRow("364 onto the bottom row shown") << "bottom" << 364 << 0;
        QTest::newRow("365 onto the bottom row shown") << "bottom" << 365 << 1;
        QTest::newRow("304 onto the first row") << "first" << 304 << 0;
        QTest::newRow("365 onto the last row") << "last" << 365 << 0;
        QTest::newRow("330 onto the row cut off") << "cut" << 330 << 0;
    }

    void scrollsByScreenHeight()
    {
        QFETCH(QString, where);
        QFETCH(int, screenY);
        QFETCH(int, scrolls);
        QStringList numbered;
        for (int i = 0; i < 40; ++i)
            numbered.append(QStringLiteral("/docs/file %1.pdf").arg(i));
        WindowFixture fx;
        WindowControls &ui = openWith(fx, numbered);
        QTreeView *list = ui.fileList;
        const int bottom = list->viewport()->height() - 2;
        int target = 0;
        if (where == "last" || where == "bottom")
            list->scrollTo(ui.fileRows->index(target = where == "last" ? 39 : 29),
                           QAbstractItemView::PositionAtBottom);
        else if (where != "first")
            list->scrollTo(ui.fileRows->index(target = 10), QAbstractItemView::PositionAtTop);
        if (where == "cut")
            target = list->indexAt(QPoint(1, bottom)).row();
        if (where == "cut" && fullyVisible(ui, target))
            QSKIP("the rows fit the list exactly: no row is cut off");
        const int from = where == "top" || where == "first" ? target + 1 : target - 1;
        QVERIFY(fullyVisible(ui, from));
        QVERIFY(!scrolls || !fullyVisible(ui, target + scrolls));
        const int scrolledTo = list->verticalScrollBar()->value();
        Drag drag(ui, from);
        drag.moveTo(where == "cut" ? QPoint(10, bottom) : rowCentre(ui, target), screenY);
        QCOMPARE(ui.fileRows->texts().at(target), numbered.at(from));
        const int now = list->verticalScrollBar()->value();
        QCOMPARE(now > scrolledTo ? 1 : now < scrolledTo ? -1 : 0, scrolls);
        QVERIFY(!scrolls || fullyVisible(ui, target + scrolls));
    }
};

QTEST_MAIN(TestListDrag)
#include "tst_listdrag.moc"
