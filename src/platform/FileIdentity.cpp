// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileIdentity.h"

#include "NativePath.h"

#include <sys/stat.h>

FileIdentity FileIdentity::ofFacts(const struct stat &facts)
{
    FileIdentity identity;
    identity.m_known = true;
    identity.m_device = quint64(facts.st_dev);
    identity.m_inode = quint64(facts.st_ino);
    identity.m_size = qint64(facts.st_size);
    identity.m_changeSeconds = qint64(facts.st_mtim.tv_sec);
    identity.m_changeNanoseconds = qint64(facts.st_mtim.tv_nsec);
    return identity;
}

FileIdentity FileIdentity::ofPath(const QString &path)
{
    const QByteArray bytes = nativepath::encode(path);
    struct stat facts;
    if (bytes.isEmpty() || bytes.contains('\0') || ::stat(bytes.constData(), &facts) != 0)
        return {};
    return ofFacts(facts);
}

FileIdentity FileIdentity::ofOpenFile(int fd)
{
    struct stat facts;
    if (::fstat(fd, &facts) != 0)
        return {};
    return ofFacts(facts);
}

bool FileIdentity::sameAs(const FileIdentity &other) const
{
    return m_known && other.m_known && m_device == other.m_device && m_inode == other.m_inode &&
           m_size == other.m_size && m_changeSeconds == other.m_changeSeconds &&
           m_changeNanoseconds == other.m_changeNanoseconds;
}
