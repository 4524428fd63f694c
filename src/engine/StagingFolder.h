// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/TemporaryFolder.h"

#include <memory>
#include <QString>

// A private hidden folder ".morwenda-XXXXXX" inside an output folder where texts are written
// before they are renamed into place (a rename within one file system, so a text appears whole or
// not at all). A lock file inside, held while the folder lives, tells a later run whether the
// folder's owner is still running; the folder and what it holds go with the object. An output
// folder whose name is not valid UTF-8 is reached through a descriptor (/proc/self/fd/N), so the
// paths given out spell no such name.
class StagingFolder
{
public:
    // Makes the folder inside `outputFolder`; check isValid().
    explicit StagingFolder(const QString &outputFolder);
    ~StagingFolder();
    StagingFolder(const StagingFolder &) = delete;
    StagingFolder &operator=(const StagingFolder &) = delete;

    bool isValid() const { return m_dir && m_dir->isValid() && m_lockFd >= 0; }
    // Why the folder could not be made (the system's words).
    const QString &errorText() const { return m_error; }
    const QString &outputFolder() const { return m_outputFolder; }

    // A new file name inside the folder, for one text.
    QString newTextPath();

    // Removes the staging folders inside `outputFolder` that a program killed in the middle of a
    // run left behind: only folders named like ours, of this user, whose lock file is there and
    // held by no process, and inside them only plain files. Returns how many went.
    static int removeStale(const QString &outputFolder);

    static constexpr char16_t LockFileName[] = u"owner.lock";

private:
    QString m_outputFolder;
    std::unique_ptr<TemporaryFolder> m_dir;
    int m_lockFd = -1;
    int m_folderFd = -1; // the output folder, when its name is not one Qt can spell
    int m_count = 0;
    QString m_error;
};
