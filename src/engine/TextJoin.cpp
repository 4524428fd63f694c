// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextJoin.h"

#include "TextJudge.h"

#include <QFile>

namespace {

constexpr qint64 PieceBytes = 1024 * 1024;

JoinedText failed(const QString &error)
{
    return {false, reasons::writeFailed(error)};
}

} // namespace

bool carryJudgedText(QIODevice &from, QIODevice *to, TextJudge &judge, QString &error)
{
    QByteArray buffer(PieceBytes, Qt::Uninitialized);
    for (;;) {
        if (!to && judge.decided())
            return true;
        const qint64 count = from.read(buffer.data(), buffer.size());
        if (count < 0) {
            error = from.errorString();
            return false;
        }
        if (count == 0)
            return true;
        judge.feed(QByteArrayView(buffer.constData(), count));
        for (qint64 written = 0; to && written < count;) {
            const qint64 now = to->write(buffer.constData() + written, count - written);
            if (now <= 0) {
                error = to->errorString();
                return false;
            }
            written += now;
        }
    }
}

JoinedText joinTexts(const QString &target, const QStringList &rest, const TextOptions &form)
{
    TextJudge judge(form);
    QString error;
    QFile whole(target);
    qint64 bytes = 0;
    {
        // Only as far as the judge needs: usually the first line.
        if (!whole.open(QIODevice::ReadOnly) || !carryJudgedText(whole, nullptr, judge, error))
            return failed(error.isEmpty() ? whole.errorString() : error);
        bytes = whole.size();
        whole.close();
    }
    if (!whole.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return failed(whole.errorString());
    bool ok = true;
    for (const QString &path : rest) {
        QFile part(path);
        if (ok) {
            ok = part.open(QIODevice::ReadOnly) && carryJudgedText(part, &whole, judge, error);
            if (!ok && error.isEmpty())
                error = part.errorString();
            bytes += part.size();
            part.close();
        }
        part.remove();
    }
    if (!ok)
        return failed(error);
    whole.close();
    if (whole.error() != QFileDevice::NoError)
        return failed(whole.errorString());
    judge.finish();
    JoinedText joined;
    joined.bytes = bytes;
    joined.noUsableText = judge.hasNoUsableText();
    return joined;
}
