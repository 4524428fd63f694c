// SPDX-License-Identifier: GPL-3.0-or-later
#include "Outcome.h"

#include "PageList.h"

#include <QCoreApplication>
#include <QList>
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
    case Outcome::Changed:
        return QStringLiteral("changed");
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
