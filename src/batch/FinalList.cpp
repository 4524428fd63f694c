// SPDX-License-Identifier: GPL-3.0-or-later
#include "FinalList.h"

#include "engine/Outcome.h"
#include "platform/NativePath.h"

#include <QSaveFile>

namespace finallist {

namespace {

QByteArray csvField(const QString &text)
{
    QByteArray bytes = nativepath::display(text).toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') ||
        bytes.contains('\r')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

// The reason's words without the leading "  - " of the final message.
QString reasonWords(const QString &reason)
{
    return reason.startsWith(QStringLiteral("  - ")) ? reason.mid(4) : reason;
}

} // namespace

QByteArray toCsv(const QList<FileOutcome> &outcomes)
{
    QByteArray csv = "path,output,outcome,reason,pages,seconds,ocr_pages,ocr_confidence\r\n";
    for (const FileOutcome &file : outcomes) {
        csv += csvField(file.pdf) + ',' + csvField(file.output) + ',' +
               csvField(outcomeName(file.outcome)) + ',' + csvField(reasonWords(file.reason)) +
               ',' + (file.pages >= 0 ? QByteArray::number(file.pages) : QByteArray()) + ',' +
               QByteArray::number(file.seconds, 'f', 3) + ',' + QByteArray::number(file.ocrPages) +
               ',' +
               (file.ocrConfidence >= 0 ? QByteArray::number(file.ocrConfidence, 'f', 1)
                                        : QByteArray()) +
               "\r\n";
    }
    return csv;
}

QString save(const QString &path, const QList<FileOutcome> &outcomes)
{
    QSaveFile file(path);
    // Unbuffered, so a write that fails (a full disk) is seen here, not lost in a flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const QByteArray csv = toCsv(outcomes);
    if (file.write(csv) != csv.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return file.errorString();
    return QString();
}

} // namespace finallist
