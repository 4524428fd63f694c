// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileDropController.h"

#include "engine/FilePattern.h"
#include "FolderScanController.h"
#include "platform/widgets/MessageBoxes.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/RowListModel.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTreeView>
#include <QUrl>

namespace {

// A folder whose own name begins with a dot is hidden: dropped, it is listed as itself.
bool isHiddenFolder(const QString &path)
{
    return QFileInfo(QDir::cleanPath(path)).fileName().startsWith(u'.');
}

} // namespace

FileDropController::FileDropController(QTreeView &list, RowListModel &rows,
                                       FolderScanController &scan, const MessageBoxes &boxes,
                                       QObject *parent)
    : QObject(parent), m_list(list), m_rows(rows), m_scan(scan), m_boxes(boxes)
{
    m_list.setAcceptDrops(true);
    m_list.viewport()->setAcceptDrops(true);
    m_list.viewport()->installEventFilter(this);
}

QStringList FileDropController::localPaths(const QMimeData &data)
{
    QStringList paths;
    if (!data.hasUrls())
        return paths;
    // The list's own bytes: QUrl::toLocalFile would turn a name that is not UTF-8 into U+FFFD.
    const QList<QByteArray> lines = data.data(QStringLiteral("text/uri-list")).split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line);
        if (!url.isLocalFile())
            continue;
        const QByteArray bytes =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (!bytes.isEmpty())
            paths.append(nativepath::decode(bytes));
    }
    return paths;
}

void FileDropController::addPaths(const QStringList &paths)
{
    add(paths, QStringLiteral("*.pdf"));
}

void FileDropController::addDropped(const QStringList &paths)
{
    add(paths, QStringLiteral("*.*"));
}

void FileDropController::add(const QStringList &paths, const QString &folderPattern)
{
    Procedure proc(m_boxes.reporter(), tags::Drop);
    for (const QString &path : paths) {
        if (files::isFolder(path) && !isHiddenFolder(path)) {
            proc.run(102, [&] { m_scan.appendFolderFiles(path, FilePattern(folderPattern)); });
        } else {
            proc.run(100, [&] { m_rows.append(path); });
        }
    }
}

bool FileDropController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_list.viewport())
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        // Without a local file the pointer shows that nothing can be dropped here.
        if (drag->mimeData() && !localPaths(*drag->mimeData()).isEmpty())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList paths = drop->mimeData() ? localPaths(*drop->mimeData()) : QStringList();
        if (paths.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        // The file manager waits until the drop event returns; a folder's walk comes after.
        QMetaObject::invokeMethod(
            this, [this, paths] { addDropped(paths); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return false;
    }
}
