// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderScanController.h"

#include "engine/FilePattern.h"
#include "engine/FolderWalk.h"
#include "platform/NativePath.h"
#include "platform/widgets/MessageBoxes.h"
#include "platform/widgets/PointerState.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"
#include "platform/RowListModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>

FolderScanController::FolderScanController(RowListModel &rows, PointerState &pointer,
                                           SettingsStore &settings, const MessageBoxes &boxes,
                                           QObject *parent)
    : QObject(parent), m_rows(rows), m_pointer(pointer), m_settings(settings), m_boxes(boxes)
{
}

QString FolderScanController::extensionPrompt()
{
    return tr("Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for "
              "all doc files, etc.)");
}

QString FolderScanController::folderPrompt()
{
    return tr("Please select folder:");
}

void FolderScanController::appendFolderFiles(const QString &folder, const FilePattern &pattern)
{
    // Rows found are shown at most every RowsShownEveryMs: a repaint of the list for every folder
    // would take longer than reading the folders. The window still answers its events after
    // every folder, and nothing found is held back once the walk ends.
    QStringList found;
    QElapsedTimer sinceShown;
    sinceShown.start();
    const auto showFound = [&] {
        m_rows.appendAll(found);
        found.clear();
        sinceShown.restart();
    };
    FolderWalk walk(m_boxes.reporter(), [] { QCoreApplication::processEvents(); });
    walk.run(folder, pattern, [&](const QStringList &paths) {
        found.append(paths);
        if (sinceShown.elapsed() >= RowsShownEveryMs)
            showFound();
    });
    if (!found.isEmpty())
        showFound();
}

void FolderScanController::scanFolder()
{
    Procedure proc(m_boxes.reporter(), tags::FolderScan);
    QString extension;
    proc.run(100, [&] {
        extension = m_boxes.services().inputBox(
            m_boxes.owner(), m_boxes.title(), extensionPrompt(),
            m_settings.getSetting(settingkeys::Extension, QStringLiteral("pdf")));
    });
    // An empty answer, also a cancelled box, ends the click and keeps the stored extension.
    if (proc.guard(102, [&] { return extension.isEmpty(); }))
        return;
    proc.run(104, [&] { m_settings.saveSetting(settingkeys::Extension, extension); });
    QString startFolder;
    proc.run(106, [&] { startFolder = m_settings.getSetting(settingkeys::LastFolder, QString()); });
    QString folder;
    proc.run(108, [&] {
        folder = m_boxes.services().browseForFolder(m_boxes.owner(), folderPrompt(), startFolder);
    });
    if (proc.guard(110, [&] { return folder.isEmpty(); }))
        return;
    proc.run(112, [&] { m_settings.saveSetting(settingkeys::LastFolder, folder); });
    proc.run(114, [&] { m_pointer.set(PointerState::Busy); });
    // The dialog gives a name that is not UTF-8 with U+FFFD: the folder's real bytes are walked.
    proc.run(116, [&] {
        appendFolderFiles(nativepath::fromLossy(folder), FilePattern::forExtension(extension));
    });
    proc.run(118, [&] { m_pointer.set(PointerState::Default); });
}
