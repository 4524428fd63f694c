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
// command line (or by "Open With"): a file exactly as given, a dot-named folder as one row holding
// its own path, any other folder by the folder scan's walk: a dropped one with every extension,
// one named on the command line with its PDFs only. Names keep their bytes (platform/NativePath).
class FileDropController final : public QObject
{
    Q_OBJECT

public:
    FileDropController(QTreeView &list, RowListModel &rows, FolderScanController &scan,
                       const MessageBoxes &boxes, QObject *parent = nullptr);

    // The local paths a drag carries, in the order of its data, each with the bytes of its name
    // (a file name that is not UTF-8 included); remote addresses are left out.
    static QStringList localPaths(const QMimeData &data);

public slots:
    // The paths named on the command line: appended in order, each folder walked on its own for
    // its PDFs.
    void addPaths(const QStringList &paths);
    // Dropped paths: appended in order, each folder walked on its own for every file.
    void addDropped(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void add(const QStringList &paths, const QString &folderPattern);

    QTreeView &m_list;
    RowListModel &m_rows;
    FolderScanController &m_scan;
    const MessageBoxes &m_boxes;
};
