// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReportLog.h"

#include "BatchReport.h"

#include "platform/CompleteFile.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

ReportLog::ReportLog(QString path, bool append)
    : m_path(std::move(path)), m_append(append),
      m_partialPath(QStringLiteral("%1.%2.part").arg(nativepath::absolute(m_path)).arg(::getpid()))
{
}

ReportLog::~ReportLog()
{
    // A run that never reached finish() (nothing could be converted) leaves no partial file.
    if (m_partial.isOpen())
        removePartial();
}

void ReportLog::removePartial()
{
    m_partial.close();
    ::unlink(nativepath::encode(m_partialPath).constData());
}

QString ReportLog::open()
{
    const int fd = ::open(nativepath::encode(m_partialPath).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return systemError(errno);
    m_partial.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    keep(batchreport::partialHeader(batchreport::formatFor(m_path)));
    return m_partialError;
}

void ReportLog::add(const ReportRow &row)
{
    keep(batchreport::partialLine(batchreport::formatFor(m_path), row));
}

bool ReportLog::keep(const QByteArray &bytes)
{
    if (!m_partial.isOpen() || !m_partialError.isEmpty())
        return false;
    if (m_partial.write(bytes) == bytes.size()) {
        m_whole += bytes.size();
        return true;
    }
    m_partialError = m_partial.errorString();
    [[maybe_unused]] const int cut = ::ftruncate(m_partial.handle(), m_whole);
    return false;
}

QString ReportLog::finish(const QList<ReportRow> &rows)
{
    QList<ReportRow> all;
    int lockHandle = -1;
    if (m_append) {
        // Two runs appending to one report at the end of their runs: one after the other.
        lockHandle = ::open(nativepath::encode(QFileInfo(m_path).absolutePath()).constData(),
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (lockHandle >= 0)
            ::flock(lockHandle, LOCK_EX);
        if (files::fileExists(m_path)) {
            QString error;
            const std::optional<QList<ReportRow>> old = batchreport::read(m_path, error);
            if (!old) {
                if (lockHandle >= 0)
                    ::close(lockHandle);
                return QStringLiteral("the report %1 could not be read: %2").arg(m_path, error);
            }
            QSet<QString> again;
            for (const ReportRow &row : rows)
                again.insert(row.pdf);
            for (const ReportRow &row : *old)
                if (!again.contains(row.pdf))
                    all << row;
        }
    }
    all += rows;
    const QString error = batchreport::write(m_path, all);
    if (lockHandle >= 0)
        ::close(lockHandle);
    if (error.isEmpty()) {
        removePartial();
        return QString();
    }
    QString said = QStringLiteral("the report %1 could not be written: %2").arg(m_path, error);
    if (m_partialError.isEmpty() && m_partial.isOpen()) {
        said += QStringLiteral(" (the rows of the finished files are in %1)").arg(m_partialPath);
        m_partial.close();
    } else {
        removePartial();
    }
    return said;
}
