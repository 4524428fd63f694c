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
    QT_TRANSLATE_NOOP("RunSummary", "Text read by OCR from scanned pages:"),
    QT_TRANSLATE_NOOP("RunSummary", "These texts were numbered, because a listed file or an "
                                    "earlier text has the same name:"),
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

QStringList failureLines(const QList<FileOutcome> &outcomes, Words words)
{
    QStringList lines;
    for (const FileOutcome &file : outcomes)
        if (file.outcome != Outcome::Converted)
            lines << nativepath::display(file.pdf) + reasonIn(words, file.reason);
    return lines;
}

QStringList readByOcrLines(const QList<FileOutcome> &outcomes, Words words)
{
    QStringList lines;
    for (const FileOutcome &file : outcomes)
        if (file.outcome == Outcome::Converted && file.ocrPages > 0)
            lines << nativepath::display(file.pdf) +
                         reasonIn(words, reasons::readByOcr(file.ocrPages, file.pages,
                                                            file.ocrConfidence));
    return lines;
}

QStringList renamedLines(const QList<FileOutcome> &outcomes, Words words)
{
    QStringList lines;
    for (const FileOutcome &file : outcomes)
        if (file.numbered && leftText(file.outcome))
            lines << nativepath::display(file.pdf) +
                         say(words, QStringLiteral("  - its text is %1"))
                             .arg(nativepath::display(paths::getFileName(file.output)));
    return lines;
}

QString finalMessage(const QList<FileOutcome> &outcomes, bool stopped, Words words)
{
    const QString failures = section(say(words, FailureListHeader), failureLines(outcomes, words));
    if (noConverterRan(outcomes))
        return say(words, NoConverter) + failures;
    if (!leftAnyText(outcomes))
        return say(words, NoData) + (stopped ? failures : QString());
    return say(words, Done) + failures +
           section(say(words, ReadByOcrHeader), readByOcrLines(outcomes, words)) +
           section(say(words, RenamedListHeader), renamedLines(outcomes, words));
}

} // namespace runsummary
