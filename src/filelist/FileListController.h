// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QString>

class MessageBoxes;
class PointerState;
class QPoint;
class QTreeView;
class RowListModel;

// The file list and the ways to edit it: adding files with the open-files dialog, removing a row
// by double-click or Delete, "Clear List", and moving a row by dragging it over the others.
class FileListController final : public QObject
{
    Q_OBJECT

public:
    // `installFolder` is where the optional "drag.ico" pointer is looked for.
    FileListController(QTreeView &list, RowListModel &rows, PointerState &pointer,
                       const MessageBoxes &boxes, QString installFolder, QObject *parent = nullptr);

    // The path in the selected row, or "" when no row is selected.
    QString selectedPath() const;

    // A row is being dragged.
    bool isDragging() const { return m_dragging; }

    // The open-files dialog's title and its filter, which admits ".pdf" in every letter case.
    static QString addFilesTitle();
    static QString pdfFileFilter();

public slots:
    // "Add PDF File(s)": appends every file chosen in the open-files dialog, in the dialog's order.
    void addFiles();
    // "Clear List": empties the list unless the window is busy. The preview keeps its rows.
    void clearList();
    // Removes the selected row, unless the window is busy or no row is selected.
    void removeSelectedRow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool viewportEvent(QEvent *event);
    // The drag exchange: a press arms it, the press's item click takes the row, each move over a
    // row with another text exchanges the two texts (so the dragged text travels with the
    // pointer), and the release ends it. `screenPos` decides which neighbour is scrolled into view.
    void startDrag();
    void takeDraggedRow();
    void dragMove(QPoint pos, QPoint screenPos);
    void endDrag();

    QTreeView &m_list;
    RowListModel &m_rows;
    PointerState &m_pointer;
    const MessageBoxes &m_boxes;
    QString m_installFolder;

    bool m_dragging = false;
    QPersistentModelIndex m_draggedRow; // invalid once removed
    bool m_doubleClicked = false;
};
