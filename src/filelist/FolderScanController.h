// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class FilePattern;
class MessageBoxes;
class PointerState;
class RowListModel;
class SettingsStore;

// "Add All PDF File(s) In Folder": asks for an extension and a folder, then appends every accepted
// file of that folder and its subfolders whose name ends in the extension, level by level. The
// same walk serves dropped folders and folders named on the command line.
class FolderScanController final : public QObject
{
    Q_OBJECT

public:
    static constexpr int RowsShownEveryMs = 100;

    FolderScanController(RowListModel &rows, PointerState &pointer, SettingsStore &settings,
                         const MessageBoxes &boxes, QObject *parent = nullptr);

    // The input box's prompt and the folder chooser's instruction.
    static QString extensionPrompt();
    static QString folderPrompt();

    // Appends the accepted files of `folder` and all its subfolders that match `pattern`, in the
    // walk's order. The window's pending events are processed once per folder read, so it
    // repaints and answers clicks and drops during a long walk; the rows found so far join the
    // list every RowsShownEveryMs (and at the end). Failures of the walk are reported by the
    // walk; a failure to append throws.
    void appendFolderFiles(const QString &folder, const FilePattern &pattern);

public slots:
    // The button: extension box, folder chooser, then the walk under the hourglass.
    void scanFolder();

private:
    RowListModel &m_rows;
    PointerState &m_pointer;
    SettingsStore &m_settings;
    const MessageBoxes &m_boxes;
};
