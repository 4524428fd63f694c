#include "app/PointerState.h"
#include "ListTesting.h"
#include "WindowFixture.h"

#include <QApplication>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace listtesting;

namespace {

const QStringList ABCD = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                          QStringLiteral("D")};

// One drag on the file list, driven by real mouse events on its viewport. Moves carry the held
// button; their screen position is chosen by the test, since the scrolling rule reads it.
class Drag
{
public:
    Drag(WindowContext &ctx, int row) : m_ctx(ctx), m_viewport(ctx.ListView1->viewport())
    {
        QTest::mousePress(m_viewport, Qt::LeftButton, {}, rowCentre(ctx, row));
    }
    ~Drag() { release(); }

    // Onto a row, at a screen height inside the band where nothing scrolls.
    void moveTo(int row, int screenY = 330) { moveTo(rowCentre(m_ctx, row), screenY); }
    void moveTo(QPoint at, int screenY)
    {
        const QPoint screen(m_viewport->mapToGlobal(at).x(), screenY);
        QMouseEvent move(QEvent::MouseMove, at, screen, Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(m_viewport, &move);
        m_at = at;
    }
    void release()
    {
        if (m_released)
            return;
        m_released = true;
        QTest::mouseRelease(m_viewport, Qt::LeftButton, {}, m_at);
    }

private:
    WindowContext &m_ctx;
    QWidget *m_viewport;
    QPoint m_at;
    bool m_released = false;
};

// The rows wholly shown in the list.
QPair<int, int> fullyVisibleRows(const WindowContext &ctx)
{
    const QRect area = ctx.ListView1->viewport()->rect();
    int first = -1;
    int last = -1;
    for (int row = 0; row < ctx.fileRows->count(); ++row) {
        if (area.contains(ctx.ListView1->visualRect(ctx.fileRows->index(row)))) {
            if (first < 0)
                first = row;
            last = row;
        }
    }
    return {first, last};
}

bool fullyVisible(const WindowContext &ctx, int row)
{
    return ctx.ListView1->viewport()->rect().contains(
        ctx.ListView1->visualRect(ctx.fileRows->index(row)));
}

QStringList numberedRows(int count)
{
    QStringList texts;
    for (int i = 1; i <= count; ++i)
        texts.append(QStringLiteral("/docs/file %1.pdf").arg(i, 3, 10, QLatin1Char('0')));
    return texts;
}

void writeIcon(const QString &path)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QImageWriter writer(path, "ico");
    QVERIFY2(writer.write(image), qPrintable(writer.errorString()));
}

} // namespace

class TestListDrag : public QObject
{
    Q_OBJECT

private slots:
    void dragExchangesRows_data();
    void dragExchangesRows();
    void dragEndsOnRelease();
    void releaseEndsTheDragBeforeTheClick();
    void theWholeWidthOfARowCounts();
    void dragWorksWhileBusy();
    void movesWithoutAPressChangeNothing();
    void removedDragItemExchangesNothing_data();
    void removedDragItemExchangesNothing();
    void dragPointer();
    void scrollingByScreenHeight_data();
    void scrollingByScreenHeight();
};

void TestListDrag::dragExchangesRows_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("pressed");
    QTest::addColumn<QList<int>>("moves");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selected");
    QTest::newRow("A down one row at a time")
        << ABCD << 0 << QList<int>{0, 1, 2, 3} << QStringList{"B", "C", "D", "A"} << 3;
    QTest::newRow("A straight onto D")
        << ABCD << 0 << QList<int>{3} << QStringList{"D", "B", "C", "A"} << 3;
    QTest::newRow("D up one row at a time")
        << ABCD << 3 << QList<int>{2, 1, 0} << QStringList{"D", "A", "B", "C"} << 0;
    QTest::newRow("down and back again") << ABCD << 1 << QList<int>{2, 3, 2, 1} << ABCD << 1;
    QTest::newRow("several moves over one row")
        << ABCD << 0 << QList<int>{1, 1, 1} << QStringList{"B", "A", "C", "D"} << 1;
    QTest::newRow("onto the same text") << QStringList{"A", "B", "A", "C"} << 0 << QList<int>{2}
                                        << QStringList{"A", "B", "A", "C"} << 0;
    QTest::newRow("over the same text and on")
        << QStringList{"A", "B", "A", "C"} << 0 << QList<int>{2, 3}
        << QStringList{"C", "B", "A", "A"} << 3;
}

void TestListDrag::dragExchangesRows()
{
    QFETCH(QStringList, before);
    QFETCH(int, pressed);
    QFETCH(QList<int>, moves);
    QFETCH(QStringList, after);
    QFETCH(int, selected);
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, before);
    {
        Drag drag(ctx, pressed);
        QCOMPARE(selectedRow(ctx), pressed);
        for (int row : moves)
            drag.moveTo(row);
        QCOMPARE(rows(ctx), after);
        QCOMPARE(selectedRow(ctx), selected);
        QCOMPARE(ctx.ListView1->currentIndex().row(), selected);
    }
    QCOMPARE(rows(ctx), after);
    QVERIFY(!ctx.drag.TargetItem.isValid());
    QVERIFY2(fx.services.boxes().isEmpty(), qPrintable(fx.services.describeBoxes()));
}

void TestListDrag::dragEndsOnRelease()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, ABCD);
    ctx.pointer->set(PointerState::Custom);
    {
        Drag drag(ctx, 0);
        QVERIFY(ctx.drag.DragFlag);
        drag.moveTo(1);
        // Moving over the list is the hover rule's "elsewhere" too.
        QCOMPARE(window.mousePointer(), int(PointerState::Default));
    }
    QVERIFY(!ctx.drag.DragFlag);
    // Moves after the release, with no button held, leave the rows where they are.
    QTest::mouseMove(ctx.ListView1->viewport(), rowCentre(ctx, 3));
    QMouseEvent hover(QEvent::MouseMove, rowCentre(ctx, 3),
                      ctx.ListView1->viewport()->mapToGlobal(rowCentre(ctx, 3)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(ctx.ListView1->viewport(), &hover);
    QCOMPARE(rows(ctx), (QStringList{"B", "A", "C", "D"}));
    // A release that went elsewhere: the next move with no button held ends the drag first.
    ctx.drag.DragFlag = true;
    QApplication::sendEvent(ctx.ListView1->viewport(), &hover);
    QVERIFY(!ctx.drag.DragFlag);
    QCOMPARE(rows(ctx), (QStringList{"B", "A", "C", "D"}));
}

void TestListDrag::releaseEndsTheDragBeforeTheClick()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, ABCD);
    // A click may start a long preview that lets moves through; they must not drag.
    QList<bool> dragging;
    connect(ctx.ListView1, &QAbstractItemView::clicked, this,
            [&] { dragging.append(ctx.drag.DragFlag); });
    QTest::mouseClick(ctx.ListView1->viewport(), Qt::LeftButton, {}, rowCentre(ctx, 2));
    QCOMPARE(dragging, QList<bool>{false});
    QCOMPARE(ctx.drag.DragItem.row(), 2);
}

void TestListDrag::theWholeWidthOfARowCounts()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, ABCD);
    QWidget *viewport = ctx.ListView1->viewport();
    const int right = viewport->width() - 3;
    // The column ends short of the list's right edge.
    QVERIFY(!ctx.ListView1->indexAt(QPoint(right, rowCentre(ctx, 2).y())).isValid());
    Drag drag(ctx, 0);
    drag.moveTo(QPoint(right, rowCentre(ctx, 2).y()), 330);
    QCOMPARE(rows(ctx), (QStringList{"C", "B", "A", "D"}));
    // Above or below the rows there is no row to reach.
    drag.moveTo(QPoint(10, viewport->height() - 2), 330);
    drag.moveTo(QPoint(10, -5), 330);
    QCOMPARE(rows(ctx), (QStringList{"C", "B", "A", "D"}));
}

void TestListDrag::dragWorksWhileBusy()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, ABCD);
    ctx.pointer->set(PointerState::Busy);
    {
        Drag drag(ctx, 1);
        drag.moveTo(2);
        drag.moveTo(3);
    }
    QCOMPARE(rows(ctx), (QStringList{"A", "C", "D", "B"}));
    QCOMPARE(window.mousePointer(), int(PointerState::Busy));
    // The list shows the window's hourglass again once the row is let go.
    QCOMPARE(ctx.ListView1->viewport()->cursor().shape(), Qt::WaitCursor);
}

void TestListDrag::movesWithoutAPressChangeNothing()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, ABCD);
    // A row chosen by the keyboard is no drag: no press came first.
    selectRow(ctx, 0);
    ctx.drag.DragItem = QPersistentModelIndex(ctx.fileRows->index(0));
    for (int row : {1, 2, 3})
        QTest::mouseMove(ctx.ListView1->viewport(), rowCentre(ctx, row));
    QCOMPARE(rows(ctx), ABCD);
    QCOMPARE(selectedRow(ctx), 0);
}

void TestListDrag::removedDragItemExchangesNothing_data()
{
    QTest::addColumn<bool>("clear");
    QTest::newRow("row removed by the Delete key") << false;
    QTest::newRow("list cleared and filled again") << true;
}

void TestListDrag::removedDragItemExchangesNothing()
{
    QFETCH(bool, clear);
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, ABCD);
    Drag drag(ctx, 1);
    if (clear) {
        ctx.PushButton3->click();
        fill(ctx, ABCD);
    } else {
        QTest::keyClick(ctx.ListView1, Qt::Key_Delete);
        QCOMPARE(rows(ctx), (QStringList{"A", "C", "D"}));
    }
    const QStringList left = rows(ctx);
    drag.moveTo(0);
    drag.moveTo(2);
    QCOMPARE(rows(ctx), left);
}

void TestListDrag::dragPointer()
{
    for (bool withIcon : {false, true}) {
        WindowFixture fx;
        if (withIcon)
            writeIcon(fx.place.installFolder() + QStringLiteral("/drag.ico"));
        fx.open();
        WindowContext &ctx = fx.ctx();
        fill(ctx, ABCD);
        {
            Drag drag(ctx, 0);
            const QCursor shown = ctx.ListView1->viewport()->cursor();
            if (withIcon) {
                QCOMPARE(shown.shape(), Qt::BitmapCursor);
                QCOMPARE(shown.pixmap().size(), QSize(32, 32));
            } else {
                QCOMPARE(shown.shape(), Qt::ClosedHandCursor);
            }
            drag.moveTo(1);
            QCOMPARE(rows(ctx), (QStringList{"B", "A", "C", "D"}));
        }
        QVERIFY(!ctx.ListView1->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(ctx.ListView1->viewport()->cursor().shape(), Qt::ArrowCursor);
    }
}

void TestListDrag::scrollingByScreenHeight_data()
{
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("screenY");
    QTest::addColumn<int>("scrolls");
    // "top": onto the topmost row shown, with the row above it hidden; "bottom": onto the lowest
    // row wholly shown, with the one below hidden; "partly": onto the row cut off by the bottom
    // edge, at its visible part; "first"/"last": the list's own ends.
    QTest::newRow("304 onto the top row shown") << "top" << 304 << -1;
    QTest::newRow("0 onto the top row shown") << "top" << 0 << -1;
    QTest::newRow("305 onto the top row shown") << "top" << 305 << 0;
    QTest::newRow("364 onto the top row shown") << "top" << 364 << 0;
    QTest::newRow("365 onto the top row shown") << "top" << 365 << 0;
    QTest::newRow("364 onto the bottom row shown") << "bottom" << 364 << 0;
    QTest::newRow("305 onto the bottom row shown") << "bottom" << 305 << 0;
    QTest::newRow("304 onto the bottom row shown") << "bottom" << 304 << 0;
    QTest::newRow("365 onto the bottom row shown") << "bottom" << 365 << 1;
    QTest::newRow("2000 onto the bottom row shown") << "bottom" << 2000 << 1;
    QTest::newRow("330 onto the row cut off at the bottom") << "partly" << 330 << 0;
    QTest::newRow("304 onto the first row") << "first" << 304 << 0;
    QTest::newRow("365 onto the last row") << "last" << 365 << 0;
}

void TestListDrag::scrollingByScreenHeight()
{
    QFETCH(QString, where);
    QFETCH(int, screenY);
    QFETCH(int, scrolls);
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    QTreeView *list = ctx.ListView1;
    fill(ctx, numberedRows(40));
    if (where != QLatin1String("first") && where != QLatin1String("last"))
        list->scrollTo(ctx.fileRows->index(10), QAbstractItemView::PositionAtTop);
    else if (where == QLatin1String("last"))
        list->scrollToBottom();
    const auto [first, last] = fullyVisibleRows(ctx);
    QVERIFY(last - first >= 3);
    int target = 0;
    if (where == QLatin1String("top"))
        target = first;
    else if (where == QLatin1String("bottom"))
        target = last;
    else if (where == QLatin1String("partly"))
        target = last + 1;
    else if (where == QLatin1String("last"))
        target = ctx.fileRows->count() - 1;
    // The drag starts on the neighbour inside the list, so the target is reached in one step.
    const int from = (where == QLatin1String("top") || target == 0) ? target + 1 : target - 1;
    QPoint onTarget = rowCentre(ctx, target);
    if (where == QLatin1String("partly")) {
        const QRect cut = list->visualRect(ctx.fileRows->index(target));
        if (cut.top() >= list->viewport()->height() - 2)
            QSKIP("the rows fit the list exactly: no row is cut off");
        onTarget.setY(list->viewport()->height() - 2);
    }
    QVERIFY(fullyVisible(ctx, from));
    if (where == QLatin1String("top"))
        QVERIFY(!fullyVisible(ctx, target - 1));
    if (where == QLatin1String("bottom"))
        QVERIFY(!fullyVisible(ctx, target + 1));

    const QStringList before = rows(ctx);
    const int scrolledTo = list->verticalScrollBar()->value();
    Drag drag(ctx, from);
    QCOMPARE(list->verticalScrollBar()->value(), scrolledTo);
    drag.moveTo(onTarget, screenY);
    QCOMPARE(rows(ctx).at(target), before.at(from));
    QCOMPARE(rows(ctx).at(from), before.at(target));
    const int now = list->verticalScrollBar()->value();
    QCOMPARE(now > scrolledTo ? 1 : now < scrolledTo ? -1 : 0, scrolls);
    if (scrolls)
        QVERIFY(fullyVisible(ctx, target + scrolls));
    // The row reached stays in view.
    QVERIFY(list->viewport()->rect().intersects(list->visualRect(ctx.fileRows->index(target))));
}

QTEST_MAIN(TestListDrag)
#include "tst_listdrag.moc"
