// SPDX-License-Identifier: GPL-3.0-or-later
#include "Outcome.h"

#include <QRegularExpression>

#include <algorithm>
#include <QStringList>

bool saysOutOfMemory(const QString &errorOutput)
{
    static const QStringList signs = {QStringLiteral("bad_alloc"), QStringLiteral("Out of memory"),
                                      QStringLiteral("Cannot allocate memory"),
                                      QStringLiteral("failed to map segment")};
    for (const QString &sign : signs)
        if (errorOutput.contains(sign))
            return true;
    return false;
}

bool saysNoTextEncoding(const QString &errorOutput)
{
    return errorOutput.contains(QStringLiteral("Couldn't get text encoding"));
}

bool saysWrongPageRange(const QString &errorOutput, int &firstPage, int &lastPage)
{
    static const QRegularExpression said(QStringLiteral(
        R"(Wrong page range given: the first page \((\d+)\) can not be after the last page \((\d+)\))"));
    const QRegularExpressionMatch match = said.match(errorOutput);
    if (!match.hasMatch())
        return false;
    firstPage = match.captured(1).toInt();
    lastPage = match.captured(2).toInt();
    return true;
}

QString outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Converted:
        return QStringLiteral("converted");
    case Outcome::NoUsableText:
        return QStringLiteral("no-usable-text");
    case Outcome::WrongPassword:
        return QStringLiteral("wrong-password");
    case Outcome::Protected:
        return QStringLiteral("protected");
    case Outcome::Damaged:
        return QStringLiteral("damaged");
    case Outcome::CannotRead:
        return QStringLiteral("cannot-read");
    case Outcome::WriteFailed:
        return QStringLiteral("write-failed");
    case Outcome::TimeLimit:
        return QStringLiteral("time-limit");
    case Outcome::MemoryLimit:
        return QStringLiteral("memory-limit");
    case Outcome::Crashed:
        return QStringLiteral("crashed");
    case Outcome::CannotStart:
        return QStringLiteral("cannot-start");
    case Outcome::Stopped:
        return QStringLiteral("stopped");
    case Outcome::LowConfidence:
        return QStringLiteral("ocr-low-confidence");
    case Outcome::PageRange:
        return QStringLiteral("page-range");
    case Outcome::OcrDoubtful:
        return QStringLiteral("ocr-doubtful");
    }
    return QString();
}

void OcrPages::add(const OcrPages &other)
{
    const auto merged = [](QList<int> &into, const QList<int> &pages) {
        into += pages;
        std::sort(into.begin(), into.end());
        into.erase(std::unique(into.begin(), into.end()), into.end());
    };
    merged(turned, other.turned);
    merged(deskewed, other.deskewed);
    merged(doubtful, other.doubtful);
    orientationUnknown = orientationUnknown || other.orientationUnknown;
}

namespace reasons {

namespace {
// A sentence ends with one full stop, whatever the system's text ends with.
QString sentence(QString text)
{
    while (text.endsWith(u'.') || text.endsWith(u' ') || text.endsWith(u'\n'))
        text.chop(1);
    return text + u'.';
}
} // namespace

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
    return QStringLiteral("  - stopped after %1 seconds without new text (time limit).")
        .arg(seconds);
}

QString memoryLimit(int megabytes)
{
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

QString pageList(const QList<int> &pages)
{
    QStringList runs;
    for (qsizetype i = 0; i < pages.size();) {
        qsizetype end = i;
        while (end + 1 < pages.size() && pages.at(end + 1) == pages.at(end) + 1)
            ++end;
        runs << (end == i ? QString::number(pages.at(i))
                          : QStringLiteral("%1-%2").arg(pages.at(i)).arg(pages.at(end)));
        i = end + 1;
    }
    return runs.join(QStringLiteral(", "));
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

QString ocrCorrections(const OcrPages &ocr)
{
    QString text;
    if (!ocr.turned.isEmpty())
        text += QStringLiteral(" Turned upright: %1.").arg(pagesNamed(ocr.turned));
    if (!ocr.deskewed.isEmpty())
        text += QStringLiteral(" Straightened: %1.").arg(pagesNamed(ocr.deskewed));
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
