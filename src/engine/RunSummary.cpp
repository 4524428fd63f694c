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

QStringList failureLines(const QList<FileOutcome> &outcomes)
{
    QStringList lines;
    for (const FileOutcome &file : outcomes)
        if (file.outcome != Outcome::Converted)
            lines << nativepath::display(file.pdf) + file.reason;
    return lines;
}

QStringList readByOcrLines(const QList<FileOutcome> &outcomes)
{
    QStringList lines;
    for (const FileOutcome &file : outcomes)
        if (file.outcome == Outcome::Converted && file.ocrPages > 0)
            lines << nativepath::display(file.pdf) +
                         reasons::readByOcr(file.ocrPages, file.pages, file.ocrConfidence) +
                         reasons::ocrCorrections(file.ocr);
    // Once, however many files it concerns.
    for (const FileOutcome &file : outcomes)
        if (file.ocrPages > 0 && file.ocr.orientationUnknown) {
            lines << reasons::OrientationUnknown;
            break;
        }
    return lines;
}

QStringList renamedLines(const QList<FileOutcome> &outcomes)
{
    QStringList lines;
    for (const FileOutcome &file : outcomes)
        if (file.numbered && leftText(file.outcome))
            lines << nativepath::display(file.pdf) + QStringLiteral("  - its text is ") +
                         nativepath::display(paths::getFileName(file.output));
    return lines;
}

QString finalMessage(const QList<FileOutcome> &outcomes, bool stopped)
{
    if (noConverterRan(outcomes))
        return NoConverter + section(FailureListHeader, failureLines(outcomes));
    if (!leftAnyText(outcomes))
        return stopped ? NoData + section(FailureListHeader, failureLines(outcomes)) : NoData;
    return Done + section(FailureListHeader, failureLines(outcomes)) +
           section(ReadByOcrHeader, readByOcrLines(outcomes)) +
           section(RenamedListHeader, renamedLines(outcomes));
}

} // namespace runsummary
