// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileIdentity.h"

#include "NativePath.h"

#include <QRegularExpression>

#include <algorithm>
#include <iterator>

#include <sys/stat.h>

FileIdentity FileIdentity::ofFacts(const struct stat &facts)
{
    FileIdentity identity;
    identity.m_known = true;
    identity.m_device = quint64(facts.st_dev);
    identity.m_inode = quint64(facts.st_ino);
    identity.m_size = qint64(facts.st_size);
    identity.m_modifySeconds = qint64(facts.st_mtim.tv_sec);
    identity.m_modifyNanoseconds = qint64(facts.st_mtim.tv_nsec);
    identity.m_statusSeconds = qint64(facts.st_ctim.tv_sec);
    identity.m_statusNanoseconds = qint64(facts.st_ctim.tv_nsec);
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
           m_size == other.m_size && m_modifySeconds == other.m_modifySeconds &&
           m_modifyNanoseconds == other.m_modifyNanoseconds &&
           m_statusSeconds == other.m_statusSeconds &&
           m_statusNanoseconds == other.m_statusNanoseconds;
}

QString FileIdentity::toText() const
{
    if (!m_known)
        return {};
    return QStringLiteral("%1:%2:%3:%4.%5:%6.%7")
        .arg(m_device)
        .arg(m_inode)
        .arg(m_size)
        .arg(m_modifySeconds)
        .arg(m_modifyNanoseconds, 9, 10, QLatin1Char('0'))
        .arg(m_statusSeconds)
        .arg(m_statusNanoseconds, 9, 10, QLatin1Char('0'));
}

FileIdentity FileIdentity::fromText(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d+):(\\d+):(\\d+):(-?\\d+)\\.(\\d{9}):(-?\\d+)\\.(\\d{9})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return {};
    bool ok[7] = {};
    FileIdentity identity;
    identity.m_device = match.captured(1).toULongLong(&ok[0]);
    identity.m_inode = match.captured(2).toULongLong(&ok[1]);
    identity.m_size = match.captured(3).toLongLong(&ok[2]);
    identity.m_modifySeconds = match.captured(4).toLongLong(&ok[3]);
    identity.m_modifyNanoseconds = match.captured(5).toLongLong(&ok[4]);
    identity.m_statusSeconds = match.captured(6).toLongLong(&ok[5]);
    identity.m_statusNanoseconds = match.captured(7).toLongLong(&ok[6]);
    identity.m_known = std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; });
    return identity.m_known ? identity : FileIdentity();
}
