// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextJoin.h"

#include "FormText.h"
#include "TextJudge.h"

#include <QFile>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

constexpr qint64 PieceBytes = 1024 * 1024;
// The most a marked-up form's head can hold: the document's title and other information.
constexpr qint64 HeadBytes = 1024 * 1024;

JoinedText failed(const QString &error)
{
    return {false, reasons::writeFailed(error)};
}

} // namespace

bool carryJudgedText(QIODevice &from, QIODevice *to, TextJudge &judge, QString &error,
                     qint64 length)
{
    QByteArray buffer(PieceBytes, Qt::Uninitialized);
    for (qint64 left = length < 0 ? std::numeric_limits<qint64>::max() : length;;) {
        if (!to && judge.decided())
            return true;
        const qint64 count = from.read(buffer.data(), std::min<qint64>(buffer.size(), left));
        if (count < 0) {
            error = from.errorString();
            return false;
        }
        if (count == 0)
            return true;
        left -= count;
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

namespace {

// The bytes of a part's output that go into the joined whole.
struct Span
{
    qint64 start = 0;
    qint64 end = 0;
};

// The part at `file` without its head (`dropHead`) and its tail (`dropTail`), which the joined
// whole has once; nullopt with `error` set when the part does not hold them.
std::optional<Span> spanOf(QFile &file, TextOptions::Output output, bool dropHead, bool dropTail,
                           QString &error)
{
    Span span{0, file.size()};
    if (dropHead) {
        const QByteArray start = file.read(HeadBytes);
        span.start = formtext::bodyStart(start, output);
    }
    if (dropTail && span.start >= 0) {
        const qint64 from = std::max<qint64>(span.start, span.end - formtext::TailBytes);
        const QByteArray end = file.seek(from) ? file.read(span.end - from) : QByteArray();
        const qsizetype at = formtext::tailStart(end, output);
        span.end = at < 0 ? -1 : from + at;
    }
    if (span.start < 0 || span.end < 0 || !file.seek(span.start)) {
        error = QStringLiteral("a page range's output is not whole");
        return std::nullopt;
    }
    return span;
}

} // namespace

JoinedText joinTexts(const QString &target, const QStringList &rest, const TextOptions &form)
{
    TextJudge judge(form);
    QString error;
    QFile whole(target);
    qint64 bytes = 0;
    {
        // The first part keeps its head; its tail goes when a part follows.
        if (!whole.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
            return failed(whole.errorString());
        const std::optional<Span> span = spanOf(whole, form.output, false, !rest.isEmpty(), error);
        if (!span || !whole.resize(span->end))
            return failed(error.isEmpty() ? whole.errorString() : error);
        // Only as far as the judge needs: usually the first line.
        if (!whole.seek(0) || !carryJudgedText(whole, nullptr, judge, error))
            return failed(error.isEmpty() ? whole.errorString() : error);
        bytes = span->end;
        whole.close();
    }
    if (!whole.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return failed(whole.errorString());
    bool ok = true;
    for (const QString &path : rest) {
        QFile part(path);
        if (ok) {
            ok = part.open(QIODevice::ReadOnly);
            const std::optional<Span> span =
                ok ? spanOf(part, form.output, true, path != rest.constLast(), error)
                   : std::nullopt;
            ok = span && carryJudgedText(part, &whole, judge, error, span->end - span->start);
            if (!ok && error.isEmpty())
                error = part.errorString();
            bytes += span ? span->end - span->start : 0;
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
