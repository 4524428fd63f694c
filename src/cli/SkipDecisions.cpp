// SPDX-License-Identifier: GPL-3.0-or-later
#include "SkipDecisions.h"

#include "BatchReport.h"
#include "engine/TextCheck.h"
#include "InputGathering.h"
#include "platform/Failure.h"
#include "platform/FileIdentity.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"

#include <QFileInfo>
#include <sys/stat.h>

namespace {

const QString Skipped = QStringLiteral("skipped");

bool isWarning(const QString &outcome)
{
    return outcome == outcomeName(Outcome::LowConfidence) ||
           outcome == outcomeName(Outcome::OcrDoubtful);
}

} // namespace

SkipDecisions::SkipDecisions(const BatchOptions &options) : m_options(options) {}

void SkipDecisions::readReports()
{
    if (!m_options.reportFile.isEmpty() &&
        !files::isFolder(QFileInfo(nativepath::absolute(m_options.reportFile)).absolutePath()))
        throw Failure(QStringLiteral("morwenda-batch: %1: the report's folder does not exist")
                          .arg(m_options.reportFile));
    QString error;
    // The report that --append adds to is read again at the end; one that cannot be read is
    // said now, before anything is converted.
    if (m_options.appendReport && files::fileExists(m_options.reportFile)) {
        const std::optional<QList<ReportRow>> rows = batchreport::read(m_options.reportFile, error);
        if (!rows)
            throw Failure(QStringLiteral("morwenda-batch: the report %1 cannot be added to: %2")
                              .arg(m_options.reportFile, error));
        for (const ReportRow &row : *rows)
            if (isWarning(row.outcome))
                m_warned.insert(row.pdf, row);
    }
    if (m_options.resumeReport.isEmpty())
        return;
    const std::optional<QList<ReportRow>> rows = batchreport::read(m_options.resumeReport, error);
    if (!rows)
        throw Failure(QStringLiteral("morwenda-batch: the report %1 cannot be resumed: %2")
                          .arg(m_options.resumeReport, error));
    for (const ReportRow &row : *rows) {
        if (row.outcome == outcomeName(Outcome::Converted) || row.outcome == Skipped ||
            isWarning(row.outcome))
            m_resumable.insert(row.pdf, row);
        if (isWarning(row.outcome))
            m_warned.insert(row.pdf, row);
    }
    struct stat facts = {};
    if (::stat(nativepath::encode(m_options.resumeReport).constData(), &facts) == 0)
        m_resumeStamp = facts.st_mtim;
}

bool SkipDecisions::isKept(const BatchInput &input, ReportRow &row) const
{
    if (isResumed(input, row))
        return true;
    if (!isSkipped(input))
        return false;
    // A text an earlier run kept with a warning is still that text.
    const auto warned = m_warned.constFind(input.pdf);
    if (warned != m_warned.cend() && warned->output == input.output) {
        row = *warned;
        return true;
    }
    row.outcome = Skipped;
    return true;
}

// --skip-existing: a text newer than its PDF that holds usable text. A text of a scanned or
// protected file, or one cut short, is converted again, so its failure is reported again.
bool SkipDecisions::isSkipped(const BatchInput &input) const
{
    if (!m_options.skipExisting || m_options.toStdout)
        return false;
    struct stat text = {};
    if (::stat(nativepath::encode(input.output).constData(), &text) != 0 ||
        !S_ISREG(text.st_mode) || text.st_size == 0 ||
        files::lastChangeMs(input.output) <= files::lastChangeMs(input.pdf))
        return false;
    bool unreadable = false;
    const bool unusable =
        hasNoUsableTextAs(input.output, m_options.text,
                          [&](const QString &, int, const QString &) { unreadable = true; });
    return !unusable && !unreadable;
}

// --resume REPORT: the report says the file's text is in place where this run would write it, the
// PDF is the same file as when it was converted, and the text is still there, newer than the PDF.
// Its old row is kept. A row that holds the PDF's identity is compared with it (device, inode,
// size and both times to the nanosecond); a report written before identities were kept compares
// with its own time: a PDF replaced since (a copy with its old time kept by cp -p or rsync -t, a
// rename over it) has a status change after it, whatever its modification time says.
bool SkipDecisions::isResumed(const BatchInput &input, ReportRow &row) const
{
    const auto found = m_resumable.constFind(input.pdf);
    if (found == m_resumable.cend() || found->output != input.output)
        return false;
    if (!found->identity.isEmpty()) {
        if (!FileIdentity::fromText(found->identity).sameAs(FileIdentity::ofPath(input.pdf)))
            return false;
    } else {
        struct stat pdf = {};
        if (::stat(nativepath::encode(input.pdf).constData(), &pdf) != 0)
            return false;
        const auto notBefore = [](const timespec &a, const timespec &b) {
            return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec >= b.tv_nsec);
        };
        if (notBefore(pdf.st_ctim, m_resumeStamp) || notBefore(pdf.st_mtim, m_resumeStamp))
            return false;
    }
    if (!files::isOrdinaryFile(found->output) ||
        files::lastChangeMs(found->output) < files::lastChangeMs(input.pdf))
        return false;
    row = *found;
    return true;
}
