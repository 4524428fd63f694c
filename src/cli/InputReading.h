// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class StopSignals;

// What morwenda-batch reads before it converts: a PDF on standard input, lists of paths and
// password files. Each function throws Failure with the message for the user (a usage error).
namespace inputreading {

// The paths of a list: one a line (`end` '\n', a CR before it taken away) or ended by NUL bytes
// (`end` '\0'); empty lines left out. A stop while the list is read keeps the paths read whole
// and sets `stopped`.
QStringList pathList(const QString &list, char end, const StopSignals &stop, bool &stopped);

// The lines of a password file, each as its bytes (platform/NativePath keeps those that are not
// UTF-8). A line that holds a NUL byte is refused.
QStringList passwordLines(const QString &file, const StopSignals &stop);

} // namespace inputreading

// The PDF read from standard input, streamed into a file in memory that has no name in any folder:
// nothing of it stays when the program is killed. The converters open it by its place among this
// process's descriptors.
class StandardInputPdf
{
public:
    StandardInputPdf() = default;
    ~StandardInputPdf();
    StandardInputPdf(const StandardInputPdf &) = delete;
    StandardInputPdf &operator=(const StandardInputPdf &) = delete;

    // Reads standard input to its end, at most `limitBytes` (0: no limit); throws Failure.
    void read(const StopSignals &stop, qint64 limitBytes);

    // "/proc/PID/fd/N" once read; "" before.
    const QString &path() const { return m_path; }

private:
    int m_fd = -1;
    QString m_path;
};
