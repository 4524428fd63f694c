// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FilePattern.h"
#include "platform/ErrorReport.h"

#include <functional>
#include <QStringList>

// The folder scan's walk: a folder and all its subfolders, level by level (the folder's own files
// first, then those of each first-level subfolder in listing order, then the next level down),
// each folder's files in the order the directory listing returns them, never sorted.
//
// What is left out:
// - a name that begins with a dot: such a folder is not walked and nothing below it is reached,
//   such a file is skipped;
// - a link to a folder is not walked (no loop and no file reached twice, however links are set);
//   a link to a file counts as a file;
// - a folder whose name holds an unsafe character (files::hasUnsafeChars) is not walked;
// - a file whose name begins with "~", or that is not a regular file (files::isAccessibleFile:
//   FIFOs, sockets and devices are not);
// - a folder that denies access, vanishes during the walk or whose path the system refuses as too
//   long, silently; a folder reached a second time (a bind mount of one of its parents) is not
//   walked again.
// The chosen folder's own files are always listed; its subfolders are walked unless its own name
// begins with a dot. Other failures while reading a folder (too many open files, an I/O error) are
// reported with the walk's tag and the walk goes on with the next folder. A name that is not valid
// UTF-8 is kept without loss (platform/NativePath) and listed or walked like any other.
class FolderWalk
{
public:
    // The accepted files of one folder as full paths, doubled separators collapsed, in listing
    // order. Called once per folder that has any.
    using FolderFiles = std::function<void(const QStringList &paths)>;
    // Called once after each folder has been read, so that a window can process its events.
    using AfterFolder = std::function<void()>;

    // Statement numbers of the walk's reports: opening a folder, reading its entries.
    static constexpr int OpenFolderLine = 104;
    static constexpr int ReadFolderLine = 108;

    explicit FolderWalk(ReportFn report, AfterFolder afterFolder = {});

    // Walks `startFolder` and hands the accepted files matching `pattern` to `files`, folder by
    // folder. A start that is not a folder gives nothing.
    void run(const QString &startFolder, const FilePattern &pattern, const FolderFiles &files);

    // The same walk, all accepted files in one list.
    QStringList collect(const QString &startFolder, const FilePattern &pattern);

    // The names in one folder (no subfolders) that match the pattern and are accessible files,
    // dot-named and "~" names included, in listing order. A folder that is missing or denies
    // access gives none; any other failure throws Failure.
    static QStringList listFiles(const QString &folder, const FilePattern &pattern);

private:
    ReportFn m_report;
    AfterFolder m_afterFolder;
};
