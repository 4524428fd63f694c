// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndOfRunPrinter.h"

#include "engine/RunSummary.h"
#include "platform/NativePath.h"

#include <cstdio>

void printError(const QString &text)
{
    std::fputs((nativepath::forTerminal(text) + u'\n').toUtf8().constData(), stderr);
    std::fflush(stderr);
}

void EndOfRunPrinter::printSections(const QList<FileOutcome> &outcomes) const
{
    if (!m_quiet && !outcomes.isEmpty())
        if (const QString text = sectionsText(outcomes); !text.isEmpty())
            printError(text);
}

QString EndOfRunPrinter::sectionsText(const QList<FileOutcome> &outcomes)
{
    QList<FileOutcome> shown = outcomes;
    for (FileOutcome &file : shown) {
        file.pdf = escapedName(file.pdf);
        file.output = escapedName(file.output);
    }
    QStringList parts;
    for (const runsummary::Section &section : runsummary::sections(shown))
        parts << section.header + u'\n' + section.lines.join(u'\n');
    return parts.join(u'\n');
}

void EndOfRunPrinter::printSummary(const Counts &counts) const
{
    if (m_quiet || counts.files == 0)
        return;
    const auto files = [](qsizetype count) {
        return count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(count);
    };
    say(QStringLiteral("morwenda-batch: %1: %2 converted, %3 skipped, %4 not usable%5, in %6 s")
            .arg(files(counts.files))
            .arg(counts.converted)
            .arg(counts.skipped)
            .arg(counts.files - counts.converted - counts.skipped)
            .arg(counts.stopped ? QStringLiteral(" (stopped)") : QString())
            .arg(counts.elapsedMs / 1000.0, 0, 'f', 1));
}

void EndOfRunPrinter::say(const QString &text) const
{
    if (!m_quiet)
        printError(text);
}

QString EndOfRunPrinter::escapedName(const QString &name)
{
    return nativepath::forTerminal(name).replace(u'\n', QStringLiteral("\\x0A"));
}

FileOutcome EndOfRunPrinter::outcomeOfRow(const ReportRow &row)
{
    FileOutcome file;
    file.pdf = row.pdf;
    file.output = row.output;
    file.outcome = Outcome::Converted; // skipped, or kept as it was: nothing to say
    file.reason = row.reason.isEmpty() ? QString() : QStringLiteral("  - ") + row.reason;
    if (row.outcome == outcomeName(Outcome::LowConfidence))
        file.outcome = Outcome::LowConfidence;
    else if (row.outcome == outcomeName(Outcome::OcrDoubtful))
        file.outcome = Outcome::OcrDoubtful;
    else if (!row.reason.isEmpty())
        file.outcome = Outcome::CannotRead; // a path that names nothing to convert
    return file;
}
