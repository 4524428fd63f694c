// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunSummary.h"

#include "platform/NativePath.h"
#include "platform/PathRules.h"

namespace runsummary {

namespace {

const QString LineBreak = QStringLiteral("\r\n");

QString section(const QString &header, const QStringList &lines)
{
    return lines.isEmpty() ? QString() : LineBreak + header + LineBreak + lines.join(LineBreak);
}

} // namespace

bool noConverterRan(const QList<FileOutcome> &outcomes)
{
    if (outcomes.isEmpty())
        return false;
    for (const FileOutcome &file : outcomes)
        if (file.outcome != Outcome::CannotStart)
            return false;
    return true;
}

bool leftAnyText(const QList<FileOutcome> &outcomes)
{
    for (const FileOutcome &file : outcomes)
        if (leftText(file.outcome))
            return true;
    return false;
}

namespace {

QString shownName(const FileOutcome &file)
{
    return nativepath::display(file.pdf);
}

// A line for each file that `keep` takes, in row order.
template <typename Keep, typename Line>
QStringList linesOf(const QList<FileOutcome> &outcomes, Keep keep, Line line)
{
    QStringList lines;
    for (const FileOutcome &file : outcomes)
        if (keep(file))
            lines << line(file);
    return lines;
}

// The name followed by the file's own reason.
QString withReason(const FileOutcome &file)
{
    return shownName(file) + file.reason;
}

} // namespace

QString stoppedHeader(int files)
{
    return files == 1 ? QStringLiteral("1 file was not converted, because the run was stopped:")
                      : QStringLiteral("%1 files were not converted, because the run was stopped:")
                            .arg(files);
}

QStringList failureLines(const QList<FileOutcome> &outcomes)
{
    return linesOf(
        outcomes,
        [](const FileOutcome &file) {
            return (!leftText(file.outcome) || file.outcome == Outcome::NoUsableText) &&
                   file.outcome != Outcome::WriteFailed && file.outcome != Outcome::Stopped;
        },
        withReason);
}

QStringList writeFailedLines(const QList<FileOutcome> &outcomes)
{
    return linesOf(
        outcomes, [](const FileOutcome &file) { return file.outcome == Outcome::WriteFailed; },
        withReason);
}

QStringList pagesUnreadLines(const QList<FileOutcome> &outcomes)
{
    return linesOf(
        outcomes,
        [](const FileOutcome &file) { return leftText(file.outcome) && file.pagesUnread > 0; },
        [](const FileOutcome &file) {
            return shownName(file) +
                   reasons::pagesUnread(file.pagesUnread, file.pagesRequested, file.unreadPages);
        });
}

QStringList lowConfidenceLines(const QList<FileOutcome> &outcomes)
{
    return linesOf(
        outcomes, [](const FileOutcome &file) { return file.outcome == Outcome::LowConfidence; },
        withReason);
}

QStringList readByOcrLines(const QList<FileOutcome> &outcomes)
{
    return linesOf(
        outcomes,
        [](const FileOutcome &file) {
            return file.outcome == Outcome::Converted && file.ocrPages > 0;
        },
        [](const FileOutcome &file) {
            return shownName(file) +
                   reasons::readByOcr(file.ocrPages, file.pages, file.ocrConfidence);
        });
}

QStringList renamedLines(const QList<FileOutcome> &outcomes)
{
    return linesOf(
        outcomes, [](const FileOutcome &file) { return file.numbered && leftText(file.outcome); },
        [](const FileOutcome &file) {
            return shownName(file) + QStringLiteral("  - its text is ") +
                   nativepath::display(paths::getFileName(file.output));
        });
}

QStringList stoppedLines(const QList<FileOutcome> &outcomes)
{
    return linesOf(
        outcomes, [](const FileOutcome &file) { return file.outcome == Outcome::Stopped; },
        shownName);
}

QString finalMessage(const QList<FileOutcome> &outcomes)
{
    if (noConverterRan(outcomes))
        return NoConverter + section(FailureListHeader, failureLines(outcomes));
    const QStringList stoppedFiles = stoppedLines(outcomes);
    return (leftAnyText(outcomes) ? Done : NoData) +
           section(FailureListHeader, failureLines(outcomes)) +
           section(WriteFailedHeader, writeFailedLines(outcomes)) +
           section(stoppedHeader(int(stoppedFiles.size())), stoppedFiles) +
           section(PagesUnreadHeader, pagesUnreadLines(outcomes)) +
           section(LowConfidenceHeader, lowConfidenceLines(outcomes)) +
           section(ReadByOcrHeader, readByOcrLines(outcomes)) +
           section(RenamedListHeader, renamedLines(outcomes));
}

} // namespace runsummary
