// SPDX-License-Identifier: GPL-3.0-or-later
#include "StandardOutputText.h"

#include "EndOfRunPrinter.h"
#include "engine/ConversionRun.h"
#include "engine/JsonLinesWriter.h"
#include "engine/StagingFolder.h"
#include "platform/Failure.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// "$TMPDIR/morwenda-batch-UID", made private to this user; "" with `error` set when it is not
// (another user's, a link, open to others).
QString privateParent(QString &error)
{
    const QString folder = QDir::tempPath() + QStringLiteral("/morwenda-batch-%1").arg(::geteuid());
    const QByteArray local = nativepath::encode(folder);
    if (::mkdir(local.constData(), 0700) != 0 && errno != EEXIST) {
        error = systemError(errno);
        return QString();
    }
    struct stat facts = {};
    if (::lstat(local.constData(), &facts) != 0) {
        error = systemError(errno);
        return QString();
    }
    if (!S_ISDIR(facts.st_mode) || facts.st_uid != ::geteuid() || (facts.st_mode & 0077) != 0) {
        error = QStringLiteral("%1 is not a private folder of this user").arg(folder);
        return QString();
    }
    return folder;
}

// What killed runs left: first the run's own staging folders inside each text folder, then the
// text folders themselves (those whose lock no process holds).
void removeLeftovers(const QString &parent)
{
    const QStringList folders = QDir(parent).entryList(
        {QStringLiteral(".morwenda-*")}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &folder : folders)
        StagingFolder::removeStale(parent + u'/' + folder);
    StagingFolder::removeStale(parent);
}

} // namespace

StandardOutputText::StandardOutputText() = default;

// The folder goes with its text; the parent too when no other run uses it (rmdir: only when
// empty).
StandardOutputText::~StandardOutputText()
{
    if (!m_folder)
        return;
    const QString parent = m_folder->outputFolder();
    m_folder.reset();
    ::rmdir(nativepath::encode(parent).constData());
}

QString StandardOutputText::prepare()
{
    QString error;
    // Twice: another run may remove the empty parent between its making and the folder's.
    for (int attempt = 0; attempt < 2 && (!m_folder || !m_folder->isValid()); ++attempt) {
        const QString parent = privateParent(error);
        if (parent.isEmpty())
            break;
        removeLeftovers(parent);
        m_folder = std::make_unique<StagingFolder>(parent);
        error = m_folder->isValid() ? QString() : m_folder->errorText();
    }
    if (!error.isEmpty())
        throw Failure(
            QStringLiteral("morwenda-batch: no private folder for the text: %1").arg(error));
    return m_folder->newTextPath();
}

void StandardOutputText::watchReader(ConversionRun &run)
{
    struct stat facts = {};
    if (::fstat(STDOUT_FILENO, &facts) != 0 || !S_ISFIFO(facts.st_mode))
        return;
    m_watch = std::make_unique<QSocketNotifier>(STDOUT_FILENO, QSocketNotifier::Read);
    connect(m_watch.get(), &QSocketNotifier::activated, this, [this, &run] {
        pollfd out{STDOUT_FILENO, POLLOUT, 0};
        if (::poll(&out, 1, 0) != 1 || !(out.revents & (POLLERR | POLLHUP)))
            return;
        m_watch->setEnabled(false);
        m_error = EPIPE;
        run.stop();
    });
}

void StandardOutputText::stopWatching()
{
    m_watch.reset();
}

void StandardOutputText::write(const QString &path, const QString &firstLinePath)
{
    QFile text(path);
    if (m_error != 0 || !text.exists())
        return;
    if (!text.open(QIODevice::ReadOnly)) {
        printError(QStringLiteral("morwenda-batch: the text cannot be read back: %1")
                       .arg(text.errorString()));
        m_error = EIO;
    }
    if (m_error == 0 && !firstLinePath.isEmpty())
        writeBytes(jsonlines::withPath(text.readLine(), firstLinePath));
    while (m_error == 0 && !text.atEnd())
        writeBytes(text.read(1 << 20));
    if (m_error == 0 && ::fsync(STDOUT_FILENO) != 0 && errno != EINVAL && errno != EROFS)
        m_error = errno; // a file on a disk that filled as it was written back
}

void StandardOutputText::writeBytes(const QByteArray &bytes)
{
    for (qsizetype written = 0; m_error == 0 && written < bytes.size();) {
        const ssize_t count =
            ::write(STDOUT_FILENO, bytes.constData() + written, size_t(bytes.size() - written));
        if (count < 0 && errno != EINTR)
            m_error = errno;
        written += std::max<ssize_t>(count, 0);
    }
}

qsizetype StandardOutputText::writeJsonLines(const QList<ReportRow> &rows, const QStringList &files)
{
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QString file = files.value(i);
        if (!file.isEmpty() && QFile::exists(file))
            write(file, rows.at(i).pdf);
        else
            writeBytes(jsonlines::fileLine(rows.at(i), QByteArray()));
        if (m_error != 0)
            return i;
    }
    return rows.size();
}
