// SPDX-License-Identifier: GPL-3.0-or-later
// The reasons a file is named with in the final message and the report (declared in Outcome.h).
#include "Outcome.h"

#include "PageList.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace reasons {

namespace {
// A sentence ends with one full stop, whatever the system's text ends with.
QString sentence(QString text)
{
    while (text.endsWith(u'.') || text.endsWith(u' ') || text.endsWith(u'\n'))
        text.chop(1);
    return text + u'.';
}

// The words of every reason after its "  - ", as the functions below make them, for the
// translation tools; %1, %2, %3 stand for what a reason quotes. A reason that quotes another
// comes before it.
const char *const ReasonWords[] = {
    QT_TRANSLATE_NOOP("Reasons", "invalid password or no password protected."),
    QT_TRANSLATE_NOOP("Reasons", "password protected or text is protected."),
    QT_TRANSLATE_NOOP("Reasons", "text unreadable. Please view the file yourself to see if it is "
                                 "really a scanned image of text and not proper PDF text."),
    QT_TRANSLATE_NOOP("Reasons", "damaged file or not a PDF file."),
    QT_TRANSLATE_NOOP("Reasons", "not converted: the run was stopped."),
    QT_TRANSLATE_NOOP("Reasons", "the file could not be read: %1."),
    QT_TRANSLATE_NOOP("Reasons", "the text could not be written: %1."),
    QT_TRANSLATE_NOOP("Reasons", "stopped after %1 seconds without new text (time limit)."),
    QT_TRANSLATE_NOOP("Reasons", "stopped after 1 second without new text (time limit)."),
    QT_TRANSLATE_NOOP("Reasons", "stopped at the memory limit of %1 MB."),
    QT_TRANSLATE_NOOP("Reasons", "stopped at the memory limit of %1 MB on page %2."),
    QT_TRANSLATE_NOOP("Reasons", "the converter crashed (signal %1)."),
    QT_TRANSLATE_NOOP("Reasons",
                      "the converter could not be started: it has no text encoding called %1."),
    QT_TRANSLATE_NOOP("Reasons", "the converter could not be started: %1."),
    QT_TRANSLATE_NOOP("Reasons", "the converter stopped before the text was complete: %1."),
    QT_TRANSLATE_NOOP("Reasons", "%1 of %2 pages read by OCR, mean word confidence %3 %."),
    QT_TRANSLATE_NOOP("Reasons", "%1 of %2 pages read by OCR."),
    QT_TRANSLATE_NOOP("Reasons", "text read by OCR with low confidence (%1 of %2 pages, mean word "
                                 "confidence %3 %)."),
    QT_TRANSLATE_NOOP("Reasons",
                      "no page to convert: the first page (%1) is after the last page (%2)."),
    QT_TRANSLATE_NOOP("Reasons",
                      "%1 of %2 pages could not be read (%3); the text holds the others."),
    QT_TRANSLATE_NOOP("Reasons", "%1 of %2 pages could not be read; the text holds the others."),
    QT_TRANSLATE_NOOP("Reasons",
                      "the file changed while it was converted; its old text (if any) was kept."),
    QT_TRANSLATE_NOOP("Reasons", "OCR doubtful on %1: some words were read with low confidence or "
                                 "not read where the page has ink; the text is kept."),
    QT_TRANSLATE_NOOP("Reasons", "OCR turned no page upright: tesseract's orientation data is not "
                                 "installed (Debian package tesseract-ocr-osd)."),
};

const QString Lead = QStringLiteral("  - ");

// The reason's words as a pattern that captures what it quotes.
QRegularExpression wordsPattern(const char *words)
{
    static const QRegularExpression place(QStringLiteral("%[1-9]"));
    QStringList parts = QString::fromUtf8(words).split(place);
    for (QString &part : parts)
        part = QRegularExpression::escape(part);
    const QString pattern = parts.join(QStringLiteral("(.*)"));
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern),
                              QRegularExpression::DotMatchesEverythingOption);
}
} // namespace

QString translated(const QString &reason)
{
    if (!reason.startsWith(Lead))
        return reason;
    const QString words = reason.mid(Lead.size());
    static const QList<QRegularExpression> patterns = [] {
        QList<QRegularExpression> made;
        for (const char *each : ReasonWords)
            made << wordsPattern(each);
        return made;
    }();
    for (qsizetype i = 0; i < patterns.size(); ++i) {
        const QRegularExpressionMatch match = patterns.at(i).match(words);
        if (!match.hasMatch())
            continue;
        QString text = QCoreApplication::translate("Reasons", ReasonWords[i]);
        const QStringList quoted = match.capturedTexts().mid(1);
        // In one pass, so a quoted "%1" in a file's or the system's words stays as it is.
        if (quoted.size() == 1)
            text = text.arg(quoted.at(0));
        else if (quoted.size() == 2)
            text = text.arg(quoted.at(0), quoted.at(1));
        else if (quoted.size() == 3)
            text = text.arg(quoted.at(0), quoted.at(1), quoted.at(2));
        return Lead + text;
    }
    return reason;
}

QString cannotRead(const QString &systemReason)
{
    return sentence(QStringLiteral("  - the file could not be read: ") + systemReason);
}

QString writeFailed(const QString &systemReason)
{
    return sentence(QStringLiteral("  - the text could not be written: ") + systemReason);
}

QString timeLimit(int seconds)
{
    if (seconds == 1)
        return QStringLiteral("  - stopped after 1 second without new text (time limit).");
    return QStringLiteral("  - stopped after %1 seconds without new text (time limit).")
        .arg(seconds);
}

QString memoryLimit(int megabytes, int page)
{
    if (page > 0)
        return QStringLiteral("  - stopped at the memory limit of %1 MB on page %2.")
            .arg(megabytes)
            .arg(page);
    return QStringLiteral("  - stopped at the memory limit of %1 MB.").arg(megabytes);
}

QString crashed(int signal)
{
    return QStringLiteral("  - the converter crashed (signal %1).").arg(signal);
}

QString cannotStart(const QString &systemReason)
{
    return sentence(QStringLiteral("  - the converter could not be started: ") + systemReason);
}

QString serviceLost(const QString &why)
{
    return sentence(QStringLiteral("  - the converter stopped before the text was complete: ") +
                    why);
}

QString readByOcr(int ocrPages, int pages, double confidence)
{
    QString text = QStringLiteral("  - %1 of %2 pages read by OCR").arg(ocrPages).arg(pages);
    if (confidence >= 0)
        text += QStringLiteral(", mean word confidence %1 %").arg(qRound(confidence));
    return text + u'.';
}

QString lowConfidence(int ocrPages, int pages, double confidence)
{
    return QStringLiteral("  - text read by OCR with low confidence (%1 of %2 pages, mean word "
                          "confidence %3 %).")
        .arg(ocrPages)
        .arg(pages)
        .arg(qRound(confidence));
}

QString pagesUnread(int unread, int requested, const QString &which)
{
    QString text =
        QStringLiteral("  - %1 of %2 pages could not be read").arg(unread).arg(requested);
    if (!which.isEmpty())
        text += QStringLiteral(" (") + which + u')';
    return text + QStringLiteral("; the text holds the others.");
}

QString pageList(const QList<int> &pages)
{
    return pagelist::write(pagelist::runsOf(pages), u", ");
}

namespace {
QString pagesNamed(const QList<int> &pages)
{
    return (pages.size() == 1 ? QStringLiteral("page ") : QStringLiteral("pages ")) +
           pageList(pages);
}
} // namespace

QString ocrDoubtful(const QList<int> &pages)
{
    return QStringLiteral("  - OCR doubtful on %1: some words were read with low confidence or "
                          "not read where the page has ink; the text is kept.")
        .arg(pagesNamed(pages));
}

QString ocrCorrections(const OcrPages &ocr, bool inUserLanguage)
{
    static const char *const Words[] = {
        QT_TRANSLATE_NOOP("Reasons", " Turned upright: page %1."),
        QT_TRANSLATE_NOOP("Reasons", " Turned upright: pages %1."),
        QT_TRANSLATE_NOOP("Reasons", " Straightened: page %1."),
        QT_TRANSLATE_NOOP("Reasons", " Straightened: pages %1."),
    };
    const auto named = [inUserLanguage](const QList<int> &pages, int words) {
        const char *english = Words[words + (pages.size() == 1 ? 0 : 1)];
        return (inUserLanguage ? QCoreApplication::translate("Reasons", english)
                               : QString::fromUtf8(english))
            .arg(pageList(pages));
    };
    QString text;
    if (!ocr.turned.isEmpty())
        text += named(ocr.turned, 0);
    if (!ocr.deskewed.isEmpty())
        text += named(ocr.deskewed, 2);
    return text;
}

QString pageRange(int firstPage, int lastPage)
{
    return QStringLiteral(
               "  - no page to convert: the first page (%1) is after the last page (%2).")
        .arg(firstPage)
        .arg(lastPage);
}

QString noTextEncoding(const QString &encoding)
{
    return cannotStart(QStringLiteral("it has no text encoding called ") + encoding);
}

} // namespace reasons
