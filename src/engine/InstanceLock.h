// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A lock on a file of the converter folder that every running instance holds shared for its
// lifetime. The instance that closes can tell from it whether another one still uses the
// converter: only when no other instance holds the lock can it take the lock exclusively.
class InstanceLock
{
public:
    explicit InstanceLock(QString path);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // Holds the lock together with the other instances; waits while one of them holds it
    // exclusively (it is removing the converter). Throws Failure when the lock file cannot be
    // opened or locked.
    void holdShared();

    // Takes the lock exclusively when no other instance holds it, without waiting; true then. The
    // shared hold of this instance is given up either way. Throws Failure when the lock file cannot
    // be opened.
    bool tryExclusive();

    // Removes the lock file, for the last instance to close, while it holds the lock exclusively:
    // an instance that waits on it meanwhile takes the file made anew by its name (holdShared()).
    // The file of a platform that cannot remove an open file stays.
    void removeFile();

    // Gives the lock up and closes the lock file.
    void release();

    const QString &path() const { return m_path; }

private:
    void open();

    QString m_path;
#ifdef Q_OS_WIN
    void *m_handle = nullptr;
#else
    int m_fd = -1;
#endif
};
