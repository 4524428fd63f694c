// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <QByteArray>
#include <QIODevice>

// A device that takes at most `piece` bytes a write, as a filling disk does, and refuses every
// write once `room` bytes are in it, with the system's words for a full disk; or, made to fail
// reading, refuses every read. What it took is in written().
class FailingDevice : public QIODevice
{
public:
    explicit FailingDevice(qint64 room, qint64 piece = -1) : m_room(room), m_piece(piece) {}

    void failReading() { m_failReading = true; }
    const QByteArray &written() const { return m_written; }

protected:
    qint64 readData(char *, qint64) override
    {
        if (!m_failReading)
            return 0;
        setErrorString(QStringLiteral("Input/output error"));
        return -1;
    }

    qint64 writeData(const char *data, qint64 length) override
    {
        qint64 take = m_room < 0 ? length : std::min(length, m_room - m_written.size());
        if (m_piece > 0)
            take = std::min(take, m_piece);
        if (take <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        m_written.append(data, take);
        return take;
    }

private:
    qint64 m_room;
    qint64 m_piece;
    bool m_failReading = false;
    QByteArray m_written;
};
