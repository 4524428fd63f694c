// SPDX-License-Identifier: GPL-3.0-or-later
#include "TextCheck.h"

#include "platform/NativePath.h"

#include "platform/Failure.h"
#include "TextJudge.h"

#include <QFile>
#include <unistd.h>
#include <QStringDecoder>
#include <utility>

namespace {

// Opens the file by its name's own bytes (a name that is not UTF-8 included).
void openForReading(QFile &file)
{
    QString reason;
    const int handle = nativepath::openForReading(file.fileName(), reason);
    if (handle < 0)
        throw Failure(reason);
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(handle);
        throw Failure(file.errorString());
    }
}

// Decodes a file in pieces. A multibyte sequence split between two pieces is decoded whole; bytes
// that are not UTF-8 become U+FFFD, an unfinished sequence at the end of the file included.
class Utf8Pieces
{
public:
    explicit Utf8Pieces(QFile &file) : m_file(file), m_buffer(TextReadChunkBytes, Qt::Uninitialized)
    {
    }

    // The next piece of text; false at the end of the file. Throws Failure when reading fails.
    bool next(QString &piece)
    {
        if (m_atEnd)
            return false;
        const qint64 count = m_file.read(m_buffer.data(), m_buffer.size());
        if (count < 0)
            throw Failure(m_file.errorString());
        if (count > 0) {
            piece = m_decoder.decode(QByteArrayView(m_buffer.constData(), count));
            return true;
        }
        m_atEnd = true;
        // An LF shows whether an unfinished sequence was pending: alone it decodes to itself;
        // after such a sequence it gives U+FFFD (and this decoder takes the LF into it).
        piece = m_decoder.decode(QByteArrayView("\n", 1));
        if (piece.endsWith(u'\n'))
            piece.chop(1);
        return !piece.isEmpty();
    }

private:
    QFile &m_file;
    QByteArray m_buffer;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
    bool m_atEnd = false;
};

} // namespace

QStringList readTextLines(const QString &path, const ReportFn &report, int limit)
{
    Procedure proc(report, tags::ReadLines);
    QStringList lines;
    QFile file(path);
    if (!proc.run(100, [&] { openForReading(file); }))
        return lines;
    proc.run(102, [&] {
        Utf8Pieces pieces(file);
        QString piece;
        QString open; // the line read so far, not yet ended
        const auto full = [&] { return limit >= 0 && lines.size() >= limit; };
        while (!full() && pieces.next(piece)) {
            qsizetype start = 0;
            qsizetype scan = open.size();
            open += piece;
            qsizetype lf;
            while (!full() && (lf = open.indexOf(u'\n', scan)) >= 0) {
                const qsizetype end = lf > start && open.at(lf - 1) == u'\r' ? lf - 1 : lf;
                lines.append(open.mid(start, end - start));
                start = scan = lf + 1;
            }
            open.remove(0, start);
        }
        if (!full() && !open.isEmpty())
            lines.append(open);
    });
    proc.run(104, [&] { file.close(); });
    return lines;
}

bool hasNoUsableText(const QString &path, const ReportFn &report)
{
    return hasNoUsableTextAs(path, TextOptions(), report);
}

bool hasNoUsableTextAs(const QString &path, const TextOptions &form, const ReportFn &report)
{
    Procedure proc(report, tags::NoTextPDF);
    TextJudge judge(form);
    QFile file(path);
    if (!proc.run(100, [&] { openForReading(file); }))
        return false;
    proc.run(102, [&] {
        QByteArray buffer(TextReadChunkBytes, Qt::Uninitialized);
        while (!judge.decided()) {
            const qint64 count = file.read(buffer.data(), buffer.size());
            if (count < 0)
                throw Failure(file.errorString());
            if (count == 0) {
                judge.finish();
                return;
            }
            judge.feed(QByteArrayView(buffer.constData(), count));
        }
    });
    return judge.hasNoUsableText();
}
