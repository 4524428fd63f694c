#include "ListTesting.h"

#include <QApplication>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

namespace {

const QStringList ABCD = {"A", "B", "C", "D"};

// A move over the list's viewport; the screen height is the test's, since the scrolling rule
// reads it.
void moveOver(WindowContext &ctx, QPoint at, Qt::MouseButtons held, int screenY = 330)
{
    QWidget *viewport = ctx.ListView1->viewport();
    const QPoint screen(viewport->mapToGlobal(at).x(), screenY);
    QMouseEvent event(QEvent::MouseMove, at, screen, Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

// One drag by real mouse events: pressed on a row, released where the last move went.
struct Drag
{
    Drag(WindowContext &ctx, int row) : ctx(ctx), at(rowCentre(ctx, row))
    {
        QTest::mousePress(ctx.ListView1->viewport(), Qt::LeftButton, {}, at);
    }
    ~Drag() { QTest::mouseRelease(ctx.ListView1->viewport(), Qt::LeftButton, {}, at); }
    void moveTo(int row, int screenY = 330) { moveTo(rowCentre(ctx, row), screenY); }
    void moveTo(QPoint to, int screenY = 330) { moveOver(ctx, at = to, Qt::LeftButton, screenY); }

    WindowContext &ctx;
    QPoint at;
};

bool fullyVisible(const WindowContext &ctx, int row)
{
    return ctx.ListView1->viewport()->rect().contains(
        ctx.ListView1->visualRect(ctx.fileRows->index(row)));
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
        WindowContext &ctx = openWith(fx, before);
        ctx.pointer->set(busy ? PointerState::Busy : PointerState::Default);
        const QSize area = ctx.ListView1->viewport()->size();
        QVERIFY(!ctx.ListView1->indexAt(QPoint(area.width() - 3, 5)).isValid());
        {
            Drag drag(ctx, 0);
            for (int row : moves)
                drag.moveTo(QPoint(area.width() - 3, rowCentre(ctx, row).y()));
            drag.moveTo(QPoint(10, area.height() - 2)); // below the rows
            QCOMPARE(selectedRow(ctx), selected);
        }
        QCOMPARE(ctx.fileRows->texts(), after);
        QCOMPARE(ctx.ListView1->viewport()->cursor().shape(),
                 busy ? Qt::WaitCursor : Qt::ArrowCursor);
        VERIFY_NO_BOXES(fx);
    }

    void hoveringNeverMovesRows()
    {
        WindowFixture fx;
        WindowContext &ctx = openWith(fx, ABCD);
        // A click may start a long preview that lets moves through: the release ends the drag
        // before the click is handled.
        QList<bool> dragging;
        connect(ctx.ListView1, &QAbstractItemView::clicked, this,
                [&] { dragging.append(ctx.drag.DragFlag); });
        QTest::mouseClick(ctx.ListView1->viewport(), Qt::LeftButton, {}, rowCentre(ctx, 0));
        QCOMPARE(dragging, QList<bool>{false});
        moveOver(ctx, rowCentre(ctx, 2), Qt::NoButton);
        QCOMPARE(ctx.fileRows->texts(), ABCD);
        // A release that went elsewhere: the next move with no button held ends the drag.
        ctx.drag.DragFlag = true;
        moveOver(ctx, rowCentre(ctx, 3), Qt::NoButton);
        QVERIFY(!ctx.drag.DragFlag);
        QCOMPARE(ctx.fileRows->texts(), ABCD);
    }

    void removedDragItemExchangesNothing()
    {
        for (bool clear : {false, true}) {
            WindowFixture fx;
            WindowContext &ctx = openWith(fx, ABCD);
            Drag drag(ctx, 1);
            if (clear) {
                ctx.PushButton3->click();
                ctx.fileRows->appendAll(ABCD);
            } else {
                QTest::keyClick(ctx.ListView1, Qt::Key_Delete);
            }
            const QStringList left = ctx.fileRows->texts();
            drag.moveTo(0);
            drag.moveTo(2);
            QCOMPARE(ctx.fileRows->texts(), left);
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
            WindowContext &ctx = openWith(fx, ABCD);
            {
                Drag drag(ctx, 0);
                const QCursor shown = ctx.ListView1->viewport()->cursor();
                QCOMPARE(shown.shape(), withIcon ? Qt::BitmapCursor : Qt::ClosedHandCursor);
                QCOMPARE(shown.pixmap().size(), withIcon ? QSize(32, 32) : QSize(0, 0));
            }
            QVERIFY(!ctx.ListView1->testAttribute(Qt::WA_SetCursor));
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
        WindowContext &ctx = openWith(fx, numbered);
        QTreeView *list = ctx.ListView1;
        const int bottom = list->viewport()->height() - 2;
        int target = 0;
        if (where == "last" || where == "bottom")
            list->scrollTo(ctx.fileRows->index(target = where == "last" ? 39 : 29),
                           QAbstractItemView::PositionAtBottom);
        else if (where != "first")
            list->scrollTo(ctx.fileRows->index(target = 10), QAbstractItemView::PositionAtTop);
        if (where == "cut")
            target = list->indexAt(QPoint(1, bottom)).row();
        if (where == "cut" && fullyVisible(ctx, target))
            QSKIP("the rows fit the list exactly: no row is cut off");
        const int from = where == "top" || where == "first" ? target + 1 : target - 1;
        QVERIFY(fullyVisible(ctx, from));
        QVERIFY(!scrolls || !fullyVisible(ctx, target + scrolls));
        const int scrolledTo = list->verticalScrollBar()->value();
        Drag drag(ctx, from);
        drag.moveTo(where == "cut" ? QPoint(10, bottom) : rowCentre(ctx, target), screenY);
        QCOMPARE(ctx.fileRows->texts().at(target), numbered.at(from));
        const int now = list->verticalScrollBar()->value();
        QCOMPARE(now > scrolledTo ? 1 : now < scrolledTo ? -1 : 0, scrolls);
        QVERIFY(!scrolls || fullyVisible(ctx, target + scrolls));
    }
};

QTEST_MAIN(TestListDrag)
#include "tst_listdrag.moc"
