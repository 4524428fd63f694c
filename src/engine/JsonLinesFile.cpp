// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonLinesFile.h"

#include "JsonLinesWriter.h"
#include "PdfInfoText.h"
#include "platform/CompleteFile.h"
#include "platform/NativePath.h"
#include "ReportRow.h"

#include <algorithm>
#include <QFile>

namespace jsonlinesfile {

QString besideText(const QString &textPath)
{
    if (textPath.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        return textPath.left(textPath.size() - 4) + QStringLiteral(".jsonl");
    return textPath + QStringLiteral(".jsonl");
}

QString writeStream(const QString &textPath, const FileOutcome &file, const TextOptions &options,
                    const jsonlines::LineSink &out)
{
    QString error = out(jsonlines::fileLine(reportrows::rowOf(file), file.facts.info));
    if (!error.isEmpty() || !leftText(file.outcome))
        return error;
    QFile text(textPath);
    if (!text.open(QIODevice::ReadOnly))
        return text.errorString();
    // The pages the text holds, where the document's page count is known.
    int firstPage = options.firstPage;
    int pageCount = -1;
    for (const pdfinfotext::Field &field : pdfinfotext::parse(file.facts.info))
        if (field.key == QStringLiteral("Pages")) {
            const TextOptions::Pages pages = options.pagesOf(field.value.toInt());
            firstPage = pages.first;
            pageCount = options.pageBreaks ? std::max(0, pages.last - pages.first + 1) : -1;
        }
    jsonlines::writePages(text, file.facts, firstPage, pageCount, out, error);
    return error;
}

QString putInPlace(const QString &staged, const FileOutcome &file, const TextOptions &text)
{
    const bool instead = text.jsonLines == TextOptions::JsonLines::Instead;
    CompleteFile lines(instead ? file.output : besideText(file.output));
    QString error = lines.open();
    if (error.isEmpty())
        error = writeStream(staged, file, text,
                            [&lines](const QByteArray &line) { return lines.write(line); });
    if (error.isEmpty())
        error = lines.commit();
    if (!error.isEmpty() || instead) {
        QFile::remove(staged);
        return error;
    }
    return CompleteFile::putInPlace(staged, file.output);
}

} // namespace jsonlinesfile
