// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunSummary.h"

#include "platform/NativePath.h"
#include "platform/PathRules.h"

#include <QCoreApplication>

namespace runsummary {

namespace {

const QString LineBreak = QStringLiteral("\r\n");

// The message's own words (the English constants of the header) for the translation tools.
[[maybe_unused]] const char *const MessageTexts[] = {
    QT_TRANSLATE_NOOP("RunSummary", "Done."),
    QT_TRANSLATE_NOOP("RunSummary", "File(s) has no data."),
    QT_TRANSLATE_NOOP("RunSummary", "No converter can be run, so no PDF can be converted to text."),
    QT_TRANSLATE_NOOP("RunSummary", "The following files could not be read:"),
    QT_TRANSLATE_NOOP("RunSummary", "These texts could not be written:"),
    QT_TRANSLATE_NOOP("RunSummary",
                      "Some pages could not be read; the texts hold the other pages:"),
    QT_TRANSLATE_NOOP("RunSummary", "Text read by OCR with low confidence:"),
    QT_TRANSLATE_NOOP("RunSummary", "Text read by OCR from scanned pages:"),
    QT_TRANSLATE_NOOP("RunSummary", "These texts were numbered, because a listed file or an "
                                    "earlier text has the same name:"),
    QT_TRANSLATE_NOOP("RunSummary", "1 file was not converted, because the run was stopped:"),
    QT_TRANSLATE_NOOP("RunSummary", "%1 files were not converted, because the run was stopped:"),
    QT_TRANSLATE_NOOP("RunSummary", "  - its text is %1"),

};

// One of the message's own texts in the words asked for.
QString say(Words words, const QString &english)
{
    return words == Words::English
               ? english
               : QCoreApplication::translate("RunSummary", english.toUtf8().constData());
}

QString reasonIn(Words words, const QString &reason)
{
    return words == Words::English ? reason : reasons::translated(reason);
}

QString section(const QString &header, const QStringList &lines)
{
    return lines.isEmpty() ? QString() : LineBreak + header + LineBreak + lines.join(LineBreak);
}

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

// The name followed by the file's own reason, in the words asked for.
auto withReason(Words words)
{
    return
        [words](const FileOutcome &file) { return shownName(file) + reasonIn(words, file.reason); };
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

QString stoppedHeader(int files, Words words)
{
    return files == 1
               ? say(words,
                     QStringLiteral("1 file was not converted, because the run was stopped:"))
               : say(words,
                     QStringLiteral("%1 files were not converted, because the run was stopped:"))
                     .arg(files);
}

QStringList failureLines(const QList<FileOutcome> &outcomes, Words words)
{
    return linesOf(
        outcomes,
        [](const FileOutcome &file) {
            return (!leftText(file.outcome) || file.outcome == Outcome::NoUsableText) &&
                   file.outcome != Outcome::WriteFailed && file.outcome != Outcome::Stopped;
        },
        withReason(words));
}

QStringList writeFailedLines(const QList<FileOutcome> &outcomes, Words words)
{
    return linesOf(
        outcomes, [](const FileOutcome &file) { return file.outcome == Outcome::WriteFailed; },
        withReason(words));
}

QStringList pagesUnreadLines(const QList<FileOutcome> &outcomes, Words words)
{
    return linesOf(
        outcomes,
        [](const FileOutcome &file) { return leftText(file.outcome) && file.pagesUnread > 0; },
        [words](const FileOutcome &file) {
            return shownName(file) +
                   reasonIn(words, reasons::pagesUnread(file.pagesUnread, file.pagesRequested,
                                                        file.unreadPages));
        });
}

QStringList lowConfidenceLines(const QList<FileOutcome> &outcomes, Words words)
{
    return linesOf(
        outcomes,
        [](const FileOutcome &file) {
            return file.outcome == Outcome::LowConfidence || file.outcome == Outcome::OcrDoubtful;
        },
        withReason(words));
}

QStringList readByOcrLines(const QList<FileOutcome> &outcomes, Words words)
{
    QStringList lines = linesOf(
        outcomes,
        [](const FileOutcome &file) {
            return file.outcome == Outcome::Converted && file.ocrPages > 0;
        },
        [words](const FileOutcome &file) {
            return shownName(file) +
                   reasonIn(words,
                            reasons::readByOcr(file.ocrPages, file.pages, file.ocrConfidence)) +
                   reasons::ocrCorrections(file.ocr, words == Words::UserLanguage);
        });
    // Once, however many files it concerns.
    for (const FileOutcome &file : outcomes)
        if (file.ocrPages > 0 && file.ocr.orientationUnknown) {
            lines << reasonIn(words, reasons::OrientationUnknown);
            break;
        }
    return lines;
}

QStringList renamedLines(const QList<FileOutcome> &outcomes, Words words)
{
    return linesOf(
        outcomes, [](const FileOutcome &file) { return file.numbered && leftText(file.outcome); },
        [words](const FileOutcome &file) {
            return shownName(file) + say(words, QStringLiteral("  - its text is %1"))
                                         .arg(nativepath::display(paths::getFileName(file.output)));
        });
}

QStringList stoppedLines(const QList<FileOutcome> &outcomes)
{
    return linesOf(
        outcomes, [](const FileOutcome &file) { return file.outcome == Outcome::Stopped; },
        shownName);
}

QList<Section> sections(const QList<FileOutcome> &outcomes, Words words)
{
    const QStringList stoppedFiles = stoppedLines(outcomes);
    const QList<Section> all = {
        {say(words, FailureListHeader), failureLines(outcomes, words)},
        {say(words, WriteFailedHeader), writeFailedLines(outcomes, words)},
        {stoppedHeader(int(stoppedFiles.size()), words), stoppedFiles},
        {say(words, PagesUnreadHeader), pagesUnreadLines(outcomes, words)},
        {say(words, LowConfidenceHeader), lowConfidenceLines(outcomes, words)},
        {say(words, ReadByOcrHeader), readByOcrLines(outcomes, words)},
        {say(words, RenamedListHeader), renamedLines(outcomes, words)},
    };
    QList<Section> shown;
    for (const Section &part : all)
        if (!part.lines.isEmpty())
            shown.append(part);
    return shown;
}

QString finalMessage(const QList<FileOutcome> &outcomes, Words words)
{
    if (noConverterRan(outcomes))
        return say(words, NoConverter) +
               section(say(words, FailureListHeader), failureLines(outcomes, words));
    QString message = say(words, leftAnyText(outcomes) ? Done : NoData);
    for (const Section &part : sections(outcomes, words))
        message += section(part.header, part.lines);
    return message;
}

} // namespace runsummary
