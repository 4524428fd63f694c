// SPDX-License-Identifier: GPL-3.0-or-later
#include "InputReading.h"

#include "platform/Failure.h"
#include "platform/NativePath.h"
#include "platform/StopSignals.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <QByteArray>
#include <QList>
#include <sys/mman.h>
#include <unistd.h>

namespace {

const QString Stdin = QStringLiteral("-");

// Takes one piece read; answers errno when it cannot be kept, else 0.
using Sink = std::function<int(const char *bytes, qsizetype count)>;

// One wait for input or a stop; false when the reading is to end (`stopped` or `reason` set).
bool waitForInput(int fd, const StopSignals &stop, bool &stopped, QString &reason)
{
    pollfd waits[] = {{fd, POLLIN, 0}, {stop.wakeDescriptor(), POLLIN, 0}};
    if (StopSignals::requested()) {
        stopped = true;
        return false;
    }
    if (::poll(waits, waits[1].fd >= 0 ? 2 : 1, -1) < 0 && errno != EINTR) {
        reason = systemError(errno);
        return false;
    }
    if (waits[1].revents != 0 || StopSignals::requested()) {
        stopped = true;
        return false;
    }
    return true;
}

// Everything in a file, or standard input for "-", piece by piece into `sink`; throws Failure
// naming `what` and the reason. A stop asked for while it is read (SIGTERM to a run fed by a slow
// pipe) ends the reading: `stopped` is then set.
void readWhole(const QString &path, const QString &what, const StopSignals &stop, bool &stopped,
               const Sink &sink)
{
    QString reason;
    // Any file that can be read: also a pipe, as `--files-from <(find ...)` gives one.
    const int fd = path == Stdin
                       ? STDIN_FILENO
                       : ::open(nativepath::encode(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        reason = systemError(errno);
    stopped = false;
    while (fd >= 0 && waitForInput(fd, stop, stopped, reason)) {
        char piece[65536];
        const ssize_t count = ::read(fd, piece, sizeof piece);
        if (count < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (count < 0)
            reason = systemError(errno);
        if (count <= 0)
            break;
        if (const int error = sink(piece, count); error != 0) {
            reason = systemError(error);
            break;
        }
    }
    if (fd > STDIN_FILENO)
        ::close(fd);
    if (!reason.isEmpty())
        throw Failure(
            QStringLiteral("morwenda-batch: %1 %2 cannot be read: %3")
                .arg(what, path == Stdin ? QStringLiteral("on standard input") : path, reason));
}

QByteArray readWhole(const QString &path, const QString &what, const StopSignals &stop,
                     bool &stopped)
{
    QByteArray bytes;
    readWhole(path, what, stop, stopped, [&](const char *piece, qsizetype count) {
        bytes.append(piece, count);
        return 0;
    });
    return bytes;
}

// The lines of a list or a password file: ended by `end`, a CR before a line end taken away (a
// file written on Windows), empty lines left out.
QList<QByteArray> linesOf(const QByteArray &bytes, char end)
{
    QList<QByteArray> lines;
    for (QByteArray line : bytes.split(end)) {
        if (end == '\n' && line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

// Writes all of `count` bytes; answers errno, or 0.
int writeAll(int fd, const char *bytes, qsizetype count)
{
    for (qsizetype written = 0; written < count;) {
        const ssize_t done = ::write(fd, bytes + written, size_t(count - written));
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            return errno;
        written += done;
    }
    return 0;
}

} // namespace

namespace inputreading {

QStringList pathList(const QString &list, char end, const StopSignals &stop, bool &stopped)
{
    QByteArray bytes = readWhole(list, QStringLiteral("the list"), stop, stopped);
    // A stop while the list is read: only the paths read whole are taken.
    if (stopped)
        bytes.truncate(bytes.lastIndexOf(end) + 1);
    QStringList paths;
    for (const QByteArray &path : linesOf(bytes, end))
        paths.append(nativepath::decode(path));
    return paths;
}

QStringList passwordLines(const QString &file, const StopSignals &stop)
{
    bool stopped = false;
    const QByteArray bytes = readWhole(file, QStringLiteral("the password file"), stop, stopped);
    QStringList lines;
    int number = 0;
    for (const QByteArray &line : bytes.split('\n')) {
        ++number;
        // pdftotext's argument ends at a NUL byte while the service would take the whole line:
        // the two would try different passwords, so such a line is no password.
        if (line.contains('\0'))
            throw Failure(QStringLiteral("morwenda-batch: the password file %1: line %2 holds a "
                                         "NUL byte, which no password can hold")
                              .arg(file)
                              .arg(number));
    }
    // A password is bytes, as pdftotext takes it on its command line: a line in Latin-1 is kept
    // as it is.
    for (const QByteArray &line : linesOf(bytes, '\n'))
        lines.append(nativepath::decode(line));
    return lines;
}

} // namespace inputreading

StandardInputPdf::~StandardInputPdf()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void StandardInputPdf::read(const StopSignals &stop, qint64 limitBytes)
{
    m_fd = ::memfd_create("stdin.pdf", MFD_CLOEXEC);
    if (m_fd < 0)
        throw Failure(QStringLiteral("morwenda-batch: the PDF on standard input cannot be kept: %1")
                          .arg(systemError(errno)));
    qint64 size = 0;
    bool tooBig = false;
    bool stopped = false;
    const Sink keep = [&](const char *piece, qsizetype count) {
        size += count;
        tooBig = limitBytes > 0 && size > limitBytes;
        return tooBig ? EFBIG : writeAll(m_fd, piece, count);
    };
    try {
        readWhole(Stdin, QStringLiteral("the PDF"), stop, stopped, keep);
    } catch (const Failure &) {
        if (!tooBig)
            throw;
        throw Failure(QStringLiteral("morwenda-batch: the PDF on standard input is larger than "
                                     "the memory limit of %1 MB (--memory-limit)")
                          .arg(limitBytes >> 20));
    }
    if (stopped)
        throw Failure(QStringLiteral("morwenda-batch: stopped while the PDF on standard input "
                                     "was read"));
    m_path = QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(m_fd);
}
