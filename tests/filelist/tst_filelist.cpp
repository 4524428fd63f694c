#include "app/PointerState.h"
#include "filelist/FileListHelpers.h"
#include "ListTesting.h"
#include "WindowFixture.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace listtesting;

namespace {

enum class Gesture
{
    DeleteKey,
    DoubleClick
};

// Removes the selected row the way a user does: the Delete key in the list, or a double-click on
// the selected row. The double-click comes without the clicks before it, which would start a
// preview.
void removeBy(WindowContext &ctx, Gesture gesture, Qt::KeyboardModifiers modifiers = {})
{
    QWidget *viewport = ctx.ListView1->viewport();
    switch (gesture) {
    case Gesture::DeleteKey:
        ctx.ListView1->setFocus();
        QTest::keyClick(ctx.ListView1, Qt::Key_Delete, modifiers);
        break;
    case Gesture::DoubleClick: {
        const int row = qMax(0, selectedRow(ctx));
        const QPoint at = ctx.fileRows->count() ? rowCentre(ctx, row) : QPoint(10, 10);
        QTest::mouseDClick(viewport, Qt::LeftButton, modifiers, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, modifiers, at);
        break;
    }
    }
}

const QStringList ThreeRows = {QStringLiteral("/a/one.pdf"), QStringLiteral("/a/two.pdf"),
                               QStringLiteral("/a/three.pdf")};

} // namespace

Q_DECLARE_METATYPE(Gesture)

class TestFileList : public QObject
{
    Q_OBJECT

private slots:
    void removesTheSelectedRow_data();
    void removesTheSelectedRow();
    void otherKeysRemoveNothing_data();
    void otherKeysRemoveNothing();
    void removalRefused_data();
    void removalRefused();
    void clearEmptiesOnlyTheFileList();
    void clearRefusedWhileBusy();
    void columnWidensWithSidewaysScrolling();
    void isInFileList_data();
    void isInFileList();
};

void TestFileList::removesTheSelectedRow_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("expected");
    const QStringList firstAndThird = {ThreeRows[0], ThreeRows[2]};
    QTest::newRow("Delete, middle row")
        << Gesture::DeleteKey << Qt::KeyboardModifiers() << 1 << firstAndThird;
    QTest::newRow("Shift+Delete") << Gesture::DeleteKey << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                  << 1 << firstAndThird;
    QTest::newRow("Ctrl+Alt+Delete")
        << Gesture::DeleteKey << (Qt::ControlModifier | Qt::AltModifier) << 1 << firstAndThird;
    QTest::newRow("Delete, last row") << Gesture::DeleteKey << Qt::KeyboardModifiers() << 2
                                      << QStringList{ThreeRows[0], ThreeRows[1]};
    QTest::newRow("double-click, middle row")
        << Gesture::DoubleClick << Qt::KeyboardModifiers() << 1 << firstAndThird;
    QTest::newRow("double-click, first row") << Gesture::DoubleClick << Qt::KeyboardModifiers() << 0
                                             << QStringList{ThreeRows[1], ThreeRows[2]};
}

void TestFileList::removesTheSelectedRow()
{
    QFETCH(Gesture, gesture);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, selected);
    QFETCH(QStringList, expected);
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, ThreeRows);
    selectRow(ctx, selected);
    removeBy(ctx, gesture, modifiers);
    QCOMPARE(rows(ctx), expected);
    // One gesture removes one row, and the rows left are not selected in its place.
    QCOMPARE(selectedRow(ctx), -1);
    removeBy(ctx, gesture, modifiers);
    QCOMPARE(rows(ctx), expected);
    QVERIFY2(fx.services.boxes().isEmpty(), qPrintable(fx.services.describeBoxes()));
}

void TestFileList::otherKeysRemoveNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    const Qt::KeyboardModifiers none;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none;
    QTest::newRow("Ctrl+Backspace")
        << int(Qt::Key_Backspace) << Qt::KeyboardModifiers(Qt::ControlModifier);
    // 46 is the Delete key's number on the old key codes, and the full stop's here.
    QTest::newRow("full stop") << int(Qt::Key_Period) << none;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << none;
    QTest::newRow("Space") << int(Qt::Key_Space) << none;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none;
    QTest::newRow("D") << int(Qt::Key_D) << none;
    QTest::newRow("Shift+X") << int(Qt::Key_X) << Qt::KeyboardModifiers(Qt::ShiftModifier);
    QTest::newRow("Alt+Down") << int(Qt::Key_Down) << Qt::KeyboardModifiers(Qt::AltModifier);
}

void TestFileList::otherKeysRemoveNothing()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, ThreeRows);
    selectRow(ctx, 1);
    ctx.ListView1->setFocus();
    QTest::keyClick(ctx.ListView1, Qt::Key(key), modifiers);
    QCOMPARE(rows(ctx), ThreeRows);
    QVERIFY2(fx.services.boxes().isEmpty(), qPrintable(fx.services.describeBoxes()));
}

void TestFileList::removalRefused_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("before");
    for (const auto &[gesture, name] : {std::pair{Gesture::DeleteKey, "Delete"},
                                        std::pair{Gesture::DoubleClick, "double-click"}}) {
        QTest::addRow("%s while busy", name) << gesture << true << 1 << ThreeRows;
        QTest::addRow("%s with no row selected", name) << gesture << false << -1 << ThreeRows;
        QTest::addRow("%s on an empty list", name) << gesture << false << -1 << QStringList();
    }
}

void TestFileList::removalRefused()
{
    QFETCH(Gesture, gesture);
    QFETCH(bool, busy);
    QFETCH(int, selected);
    QFETCH(QStringList, before);
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, before);
    if (selected >= 0)
        selectRow(ctx, selected);
    if (busy)
        ctx.pointer->set(PointerState::Busy);
    removeBy(ctx, gesture);
    QCOMPARE(rows(ctx), before);
    QCOMPARE(window.mousePointer(), busy ? int(PointerState::Busy) : int(PointerState::Default));
    QVERIFY2(fx.services.boxes().isEmpty(), qPrintable(fx.services.describeBoxes()));
    if (busy) {
        // The same gesture works once the window is no longer busy.
        ctx.pointer->set(PointerState::Default);
        removeBy(ctx, gesture);
        QCOMPARE(rows(ctx), (QStringList{ThreeRows[0], ThreeRows[2]}));
    }
}

void TestFileList::clearEmptiesOnlyTheFileList()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, ThreeRows);
    selectRow(ctx, 2);
    const QStringList preview = {QStringLiteral("first line"), QStringLiteral("second line")};
    ctx.previewRows->appendAll(preview);
    QTest::mouseClick(ctx.PushButton3, Qt::LeftButton);
    QCOMPARE(rows(ctx), QStringList());
    QCOMPARE(ctx.ListView1->model()->rowCount(), 0);
    QCOMPARE(ctx.previewRows->texts(), preview);
    // Clearing an empty list is no failure either.
    QTest::mouseClick(ctx.PushButton3, Qt::LeftButton);
    QCOMPARE(rows(ctx), QStringList());
    QVERIFY2(fx.services.boxes().isEmpty(), qPrintable(fx.services.describeBoxes()));
}

void TestFileList::clearRefusedWhileBusy()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, ThreeRows);
    ctx.pointer->set(PointerState::Busy);
    QTest::mouseClick(ctx.PushButton3, Qt::LeftButton);
    QCOMPARE(rows(ctx), ThreeRows);
    QCOMPARE(window.mousePointer(), int(PointerState::Busy));
    QVERIFY2(fx.services.boxes().isEmpty(), qPrintable(fx.services.describeBoxes()));
    ctx.pointer->set(PointerState::Default);
    QTest::mouseClick(ctx.PushButton3, Qt::LeftButton);
    QCOMPARE(rows(ctx), QStringList());
}

void TestFileList::columnWidensWithSidewaysScrolling()
{
    WindowFixture fx;
    MainWindow &window = fx.open();
    WindowContext &ctx = fx.ctx();
    QTreeView *list = ctx.ListView1;
    QHeaderView *header = list->header();
    QCOMPARE(header->count(), 1);
    QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("PDF File(s)"));
    QCOMPARE(header->sectionSize(0), window.px(7000));
    // A long path neither widens the column nor brings a scroll bar: the width is the user's.
    fill(ctx, {QStringLiteral("/") + QString(400, u'x') + QStringLiteral(".pdf")});
    QCoreApplication::processEvents();
    QCOMPARE(header->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(header->sectionSize(0), window.px(7000));
    QVERIFY(!list->horizontalScrollBar()->isVisible());

    // Dragging the column's divider to the right, past the list's edge.
    const int wider = 3 * list->viewport()->width();
    header->resizeSection(0, wider);
    QTRY_VERIFY(list->horizontalScrollBar()->isVisible());
    QCOMPARE(list->horizontalScrollBar()->maximum(), wider - list->viewport()->width());
    list->horizontalScrollBar()->setValue(list->horizontalScrollBar()->maximum());
    QCOMPARE(header->sectionViewportPosition(0), list->viewport()->width() - wider);

    header->resizeSection(0, window.px(7000));
    QTRY_VERIFY(!list->horizontalScrollBar()->isVisible());
}

void TestFileList::isInFileList_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("found");
    const QString a = QStringLiteral("/docs/a.pdf");
    QTest::newRow("empty list") << QStringList() << a << false;
    QTest::newRow("empty path, empty list") << QStringList() << QString() << false;
    QTest::newRow("same text") << QStringList{QStringLiteral("/x.pdf"), a} << a << true;
    QTest::newRow("listed twice") << QStringList{a, a} << a << true;
    QTest::newRow("differs in letter case")
        << QStringList{QStringLiteral("/Docs/A.PDF"), QStringLiteral("/docs/a.PDF")} << a << false;
    QTest::newRow("only part of a row") << QStringList{a + QStringLiteral(".bak")} << a << false;
    QTest::newRow("a row is part of the path")
        << QStringList{QStringLiteral("/docs/a")} << a << false;
    QTest::newRow("separator doubled") << QStringList{QStringLiteral("/docs//a.pdf")} << a << false;
}

void TestFileList::isInFileList()
{
    QFETCH(QStringList, list);
    QFETCH(QString, path);
    QFETCH(bool, found);
    RowListModel rows;
    rows.appendAll(list);
    QCOMPARE(IsInFileList(rows, path), found);
}

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
