// SPDX-License-Identifier: GPL-3.0-or-later
#include "TemporaryFolder.h"

#include <QDir>
#include <QStringList>

namespace {

QStringList &liveFolders()
{
    static QStringList folders;
    return folders;
}

QTemporaryDir makeDir(const QString &templatePath)
{
    return templatePath.isEmpty() ? QTemporaryDir() : QTemporaryDir(templatePath);
}

} // namespace

TemporaryFolder::TemporaryFolder(const QString &templatePath) : m_dir(makeDir(templatePath))
{
    if (m_dir.isValid())
        liveFolders().append(m_dir.path());
}

TemporaryFolder::~TemporaryFolder()
{
    if (m_dir.isValid())
        liveFolders().removeOne(m_dir.path());
}

void TemporaryFolder::removeAll()
{
    for (const QString &path : std::as_const(liveFolders()))
        QDir(path).removeRecursively();
    liveFolders().clear();
}
