// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

class FolderScanController;
class MessageBoxes;
class QMimeData;
class QTreeView;
class RowListModel;

// Files and folders dropped onto the file list from a file manager, and the paths named on the
// command line, which are added the same way: a file exactly as given, a folder by the folder
// scan's walk with every extension, a dot-named folder as one row holding its own path.
class FileDropController final : public QObject
{
    Q_OBJECT

public:
    FileDropController(QTreeView &list, RowListModel &rows, FolderScanController &scan,
                       const MessageBoxes &boxes, QObject *parent = nullptr);

    // The local paths a drag carries, in the order of its data; remote addresses are left out.
    static QStringList localPaths(const QMimeData &data);

public slots:
    // Appends the paths in order, each folder walked on its own.
    void addPaths(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTreeView &m_list;
    RowListModel &m_rows;
    FolderScanController &m_scan;
    const MessageBoxes &m_boxes;
};
