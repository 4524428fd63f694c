// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileListController.h"

#include "platform/widgets/MessageBoxes.h"
#include "platform/NativePath.h"
#include "platform/PathRules.h"
#include "platform/widgets/PointerState.h"
#include "platform/RowListModel.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QTreeView>

namespace {

// An exchange scrolls the list by the pointer's height on the screen, not in the list: above this
// band the row above the one reached is brought into view, from its end on the row below.
constexpr int ScrollUpBelowY = 305;
constexpr int ScrollDownFromY = 365;

// The row at height y of the viewport, wherever the pointer is across it: the strip right of the
// column belongs to the row as much as its text does.
QModelIndex rowAt(const QTreeView &list, int y)
{
    const int x = qMax(0, list.header()->sectionViewportPosition(0));
    return list.indexAt(QPoint(x, y));
}

QModelIndex selectedRow(const QTreeView &list)
{
    const QModelIndexList rows = list.selectionModel()->selectedRows();
    return rows.isEmpty() ? QModelIndex() : rows.front();
}

// Selects the row the drag reached without scrolling to it: scrolling is the screen-height rule's.
void selectWithoutScrolling(QTreeView &list, const QModelIndex &row)
{
    const bool autoScroll = list.hasAutoScroll();
    list.setAutoScroll(false);
    list.selectionModel()->setCurrentIndex(row, QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
    list.setAutoScroll(autoScroll);
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

FileListController::FileListController(QTreeView &list, RowListModel &rows, PointerState &pointer,
                                       const MessageBoxes &boxes, QString installFolder,
                                       QObject *parent)
    : QObject(parent), m_list(list), m_rows(rows), m_pointer(pointer), m_boxes(boxes),
      m_installFolder(std::move(installFolder))
{
    // Rows move only by the exchange of texts, never by the view's own drag-and-drop.
    m_list.setDragEnabled(false);
    // The user widens the column by its divider and scrolls sideways to read long paths; the
    // width is never measured from the rows, which would visit every row on each append.
    m_list.header()->setSectionResizeMode(QHeaderView::Interactive);
    m_list.installEventFilter(this);
    m_list.viewport()->installEventFilter(this);
    // Moves without a button held reach the hover rule too.
    m_list.viewport()->setMouseTracking(true);
    // Emitted for a press on a row, after the view has selected it.
    connect(&m_list, &QAbstractItemView::pressed, this, &FileListController::takeDraggedRow);
}

QString FileListController::selectedPath() const
{
    const QModelIndex selected = selectedRow(m_list);
    return selected.isValid() ? m_rows.text(selected.row()) : QString();
}

QString FileListController::addFilesTitle()
{
    return tr("Add File(s) - Use Ctrl & Shift to select multiple files");
}

QString FileListController::pdfFileFilter()
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
    //: The filter of the open-files dialog; %1 is the list of patterns ("*.pdf *.PDF ...").
    return tr("PDF Files (%1)").arg(patterns.join(u' '));
}

void FileListController::addFiles()
{
    Procedure proc(m_boxes.reporter(), tags::AddFiles);
    QStringList chosen;
    proc.run(100, [&] {
        chosen =
            m_boxes.services().openFileNames(m_boxes.owner(), addFilesTitle(), pdfFileFilter());
    });
    if (chosen.size() == 1) {
        proc.run(108, [&] { m_rows.append(nativepath::fromLossy(chosen.front())); });
        return;
    }
    // Several names come as folder and name joined, which doubles the separator after a root.
    for (const QString &path : std::as_const(chosen))
        proc.run(110, [&] {
            m_rows.append(nativepath::fromLossy(paths::removeDoubleBackslashes(path)));
        });
}

void FileListController::clearList()
{
    Procedure proc(m_boxes.reporter(), tags::ClearList);
    if (!m_pointer.isBusy())
        proc.run(100, [&] { m_rows.clear(); });
}

void FileListController::removeSelectedRow()
{
    if (m_pointer.isBusy() || m_rows.count() == 0)
        return;
    const QModelIndex selected = selectedRow(m_list);
    if (!selected.isValid())
        return;
    m_rows.removeAt(selected.row());
    // The view would pass the selection on to a neighbour, and the next Delete would remove that
    // row too: one key press or double-click removes one row.
    m_list.selectionModel()->clearSelection();
}

bool FileListController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list.viewport())
        return viewportEvent(event);
    // Only the Delete key removes, whatever the modifiers; every other key is left alone.
    if (watched == &m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete)
        removeSelectedRow();
    return false;
}

bool FileListController::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // The view selects the row and reports the item click after this.
        startDrag();
        return false;
    case QEvent::MouseMove: {
        const auto *move = static_cast<QMouseEvent *>(event);
        // A release that went elsewhere (to a modal box opened meanwhile) still ends the drag, so
        // that plain hovering never moves rows.
        if (m_dragging && move->buttons() == Qt::NoButton)
            endDrag();
        dragMove(move->position().toPoint(), move->globalPosition().toPoint());
        return m_dragging;
    }
    case QEvent::MouseButtonRelease: {
        // Before the view turns the release into a click, which may start a long preview.
        endDrag();
        // The release that ends a double-click is no second click: one preview per double-click.
        const bool endsDoubleClick = m_doubleClicked;
        m_doubleClicked = false;
        return endsDoubleClick;
    }
    case QEvent::MouseButtonDblClick:
        removeSelectedRow();
        m_doubleClicked = true;
        // The view would treat the second press as a new press on whatever row is now under the
        // pointer and select it.
        return true;
    default:
        return false;
    }
}

void FileListController::startDrag()
{
    m_dragging = true;
}

void FileListController::takeDraggedRow()
{
    m_list.setCursor(dragPointer(m_installFolder));
    m_draggedRow = QPersistentModelIndex(selectedRow(m_list));
}

void FileListController::dragMove(QPoint pos, QPoint screenPos)
{
    m_pointer.hover(PointerState::Default);
    if (!m_dragging)
        return;
    const QModelIndex target = rowAt(m_list, pos.y());
    if (!target.isValid() || !m_draggedRow.isValid())
        return;
    const int from = m_draggedRow.row();
    const int to = target.row();
    if (m_rows.text(from) == m_rows.text(to))
        return;
    const QString dragged = m_rows.text(from);
    m_rows.setText(from, m_rows.text(to));
    m_rows.setText(to, dragged);
    selectWithoutScrolling(m_list, m_rows.index(to));
    m_draggedRow = QPersistentModelIndex(target);
    if (screenPos.y() < ScrollUpBelowY && to > 0)
        m_list.scrollTo(m_rows.index(to - 1), QAbstractItemView::EnsureVisible);
    else if (screenPos.y() >= ScrollDownFromY && to < m_rows.count() - 1)
        m_list.scrollTo(m_rows.index(to + 1), QAbstractItemView::EnsureVisible);
}

void FileListController::endDrag()
{
    m_dragging = false;
    // Back to the window's pointer: the arrow, or the hourglass while the window is busy.
    m_list.unsetCursor();
}
