// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/ReportRow.h"

#include <memory>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class ConversionRun;
class QSocketNotifier;
class StagingFolder;

// -o -: the one text of the run goes to a private folder first and then to standard output. The
// folder is a staging folder inside "$TMPDIR/morwenda-batch-UID", so what a killed run leaves
// there is found and removed by the next run, as in an output folder.
class StandardOutputText : public QObject
{
    Q_OBJECT

public:
    StandardOutputText();
    ~StandardOutputText() override;

    // The path the run writes the text to; throws Failure when no private folder can be made.
    QString prepare();

    // While the run lasts: the reader of a pipe going away (a closed pipe shows as an error on
    // its writing end) stops the run at once. Only a pipe is watched: a terminal's or a socket's
    // side may be read from too.
    void watchReader(ConversionRun &run);
    void stopWatching();

    // Copies the text at `path` (when there is one) to standard output and syncs it. A write that
    // fails (a reader gone, a full disk) is kept: error() is its errno, 0 when all went out.
    // With `firstLinePath`, the text is JSON Lines whose first line names the PDF so.
    void write(const QString &path, const QString &firstLinePath = QString());
    // JSON Lines of many files, in the order of `rows`: the lines at `files[i]` where that file
    // exists (a text in place), else the row's first line alone. Returns how many rows went out
    // whole before a write failed (all of them when none did).
    qsizetype writeJsonLines(const QList<ReportRow> &rows, const QStringList &files);
    int error() const { return m_error; }
    // The reader of the pipe left before all of the text was written.
    bool readerLeft() const { return m_error == EPIPE; }

private:
    void writeBytes(const QByteArray &bytes);

    std::unique_ptr<StagingFolder> m_folder;
    std::unique_ptr<QSocketNotifier> m_watch;
    int m_error = 0;
};
