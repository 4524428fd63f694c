#include "FileListHandlers.h"

#include "app/WindowContext.h"
#include "FileListEvents.h"
#include "platform/PathRules.h"
#include "platform/PointerState.h"
#include "RowListModel.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QPixmap>
#include <QPushButton>
#include <QTreeView>

const QString AddFilesTitle =
    QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple files");

const QString TooManyFilesText = QStringLiteral("You've selected too many files to add.") +
                                 QStringLiteral("\r\r") +
                                 QStringLiteral("Please try adding via the \"Add All\" button.");

namespace {

// An exchange scrolls the list by the pointer's height on the screen, not in the list: above this
// band the row above the one reached is brought into view, from its end on the row below.
constexpr int ScrollUpBelowY = 305;
constexpr int ScrollDownFromY = 365;

// The row at height y of the viewport, wherever the pointer is across it: the strip right of the
// column belongs to the row as much as its text does.
QModelIndex rowAt(const QTreeView *list, int y)
{
    const int x = qMax(0, list->header()->sectionViewportPosition(0));
    return list->indexAt(QPoint(x, y));
}

void RemoveSelectedRow(WindowContext &ctx)
{
    if (ctx.pointer->isBusy())
        return;
    if (ctx.fileRows->count() == 0)
        return;
    const QModelIndex selected = SelectedItem(ctx);
    if (!selected.isValid())
        return;
    ctx.fileRows->removeAt(selected.row());
    // The view would pass the selection on to a neighbour, and the next Delete would remove that
    // row too: one key press or double-click removes one row.
    ctx.ListView1->selectionModel()->clearSelection();
}

// Selects the row the drag reached without scrolling to it: scrolling is the screen-height rule's.
void selectWithoutScrolling(QTreeView *list, const QModelIndex &row)
{
    const bool autoScroll = list->hasAutoScroll();
    list->setAutoScroll(false);
    list->selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    list->setAutoScroll(autoScroll);
}

// "drag.ico" from the install folder, or a closed hand when it is missing or unreadable.
QCursor dragPointer(const QString &installFolder)
{
    const QString path = installFolder + QStringLiteral("/drag.ico");
    QPixmap picture;
    if (QFileInfo(path).isFile() && picture.load(path))
        return QCursor(picture);
    return QCursor(Qt::ClosedHandCursor);
}

} // namespace

QModelIndex SelectedItem(const WindowContext &ctx)
{
    const QModelIndexList rows = ctx.ListView1->selectionModel()->selectedRows();
    return rows.isEmpty() ? QModelIndex() : rows.front();
}

QString PdfFileFilter()
{
    // The dialogs of some platforms match patterns case-sensitively, so every spelling is listed.
    QStringList patterns;
    for (int upper = 0; upper < 8; ++upper) {
        QString extension = QStringLiteral("pdf");
        for (int i = 0; i < 3; ++i) {
            if (upper & (4 >> i))
                extension[i] = extension[i].toUpper();
        }
        patterns.append(QStringLiteral("*.") + extension);
    }
    return QStringLiteral("PDF Files (") + patterns.join(u' ') + u')';
}

void ListView1_DblClick(WindowContext &ctx)
{
    RemoveSelectedRow(ctx);
}

void ListView1_KeyDown(WindowContext &ctx, int key)
{
    if (key == Qt::Key_Delete)
        RemoveSelectedRow(ctx);
}

void PushButton3_Click(WindowContext &ctx)
{
    Procedure proc(ctx.reporter(), tags::ClearList);
    // The busy test and the clearing are one statement: when the test fails, the list is cleared.
    if (proc.branch(100, [&] { return !ctx.pointer->isBusy(); }))
        proc.run(100, [&] { ctx.fileRows->clear(); });
}

void ListView1_MouseDown(WindowContext &ctx)
{
    ctx.drag.DragFlag = true;
}

void ListView1_ItemClick(WindowContext &ctx)
{
    ctx.ListView1->setCursor(dragPointer(ctx.installFolder));
    ctx.drag.DragItem = QPersistentModelIndex(SelectedItem(ctx));
}

void ListView1_MouseMove(WindowContext &ctx, QPoint pos, QPoint screenPos)
{
    ctx.pointer->hover(PointerState::Default);
    DragState &drag = ctx.drag;
    if (!drag.DragFlag)
        return;
    drag.TargetItem = QPersistentModelIndex(rowAt(ctx.ListView1, pos.y()));
    if (drag.TargetItem.isValid() && drag.DragItem.isValid()) {
        RowListModel &rows = *ctx.fileRows;
        const int from = drag.DragItem.row();
        const int to = drag.TargetItem.row();
        if (rows.text(from) != rows.text(to)) {
            const QString dragged = rows.text(from);
            rows.setText(from, rows.text(to));
            rows.setText(to, dragged);
            selectWithoutScrolling(ctx.ListView1, rows.index(to));
            drag.DragItem = drag.TargetItem;
            if (screenPos.y() < ScrollUpBelowY && to > 0)
                ctx.ListView1->scrollTo(rows.index(to - 1), QAbstractItemView::EnsureVisible);
            else if (screenPos.y() >= ScrollDownFromY && to < rows.count() - 1)
                ctx.ListView1->scrollTo(rows.index(to + 1), QAbstractItemView::EnsureVisible);
        }
    }
    drag.TargetItem = QPersistentModelIndex();
}

void ListView1_MouseUp(WindowContext &ctx)
{
    ctx.drag.DragFlag = false;
    // Back to the window's pointer: the arrow, or the hourglass while the window is busy.
    ctx.ListView1->unsetCursor();
}

void PushButton1_Click(WindowContext &ctx)
{
    Procedure proc(ctx.reporter(), tags::AddFiles);
    QStringList chosen;
    bool tooMany = false;
    proc.run(100, [&] {
        try {
            chosen = ctx.services->openFileNames(ctx.Form1, AddFilesTitle, PdfFileFilter());
        } catch (const DialogBufferTooSmall &) {
            tooMany = true;
        }
    });
    if (tooMany) {
        proc.run(102, [&] { ctx.message(TooManyFilesText); });
        return;
    }
    if (proc.guard(104, [&] { return chosen.isEmpty(); }))
        return;
    if (proc.branch(106, [&] { return chosen.size() == 1; })) {
        proc.run(108, [&] { ctx.fileRows->append(chosen.front()); });
        return;
    }
    // Several names come as folder and name joined, which doubles the separator after a root.
    for (const QString &path : std::as_const(chosen))
        proc.run(110, [&] { ctx.fileRows->append(paths::RemoveDoubleBackslashes(path)); });
}

void connectFileList(WindowContext &ctx)
{
    QTreeView *list = ctx.ListView1;
    // Rows move only by the exchange of texts, never by the view's own drag-and-drop.
    list->setDragEnabled(false);
    // The user widens the column by its divider and scrolls sideways to read long paths; the
    // width is never measured from the rows, which would visit every row on each append.
    list->header()->setSectionResizeMode(QHeaderView::Interactive);
    new FileListEvents(ctx);
    // Moves without a button held reach the hover rule too.
    list->viewport()->setMouseTracking(true);
    // Emitted for a press on a row, after the view has selected it.
    QObject::connect(list, &QAbstractItemView::pressed, list, [&ctx] { ListView1_ItemClick(ctx); });
    QObject::connect(ctx.PushButton1, &QPushButton::clicked, list,
                     [&ctx] { PushButton1_Click(ctx); });
    QObject::connect(ctx.PushButton3, &QPushButton::clicked, list,
                     [&ctx] { PushButton3_Click(ctx); });
}
