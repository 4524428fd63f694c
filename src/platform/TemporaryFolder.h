// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>

// A private folder that lives while one operation runs (a conversion's staging folder, a
// preview's scratch folder) and is removed when it goes. The window can be closed in the middle
// of such an operation, which ends the process without unwinding; removeAll() then removes
// whatever such folders exist.
class TemporaryFolder
{
public:
    // As QTemporaryDir: a template path ending in "XXXXXX", or the platform's temporary folder.
    explicit TemporaryFolder(const QString &templatePath = QString());
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Removes every temporary folder that exists now, with its contents.
    static void removeAll();

private:
    QTemporaryDir m_dir;
};
