// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressDisplay.h"

#include "platform/NativePath.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {
constexpr qint64 RedrawEveryMs = 100;
}

ProgressDisplay::Style ProgressDisplay::styleFor(bool quiet)
{
    if (quiet)
        return Style::Quiet;
    return ::isatty(STDERR_FILENO) ? Style::Bar : Style::Lines;
}

ProgressDisplay::ProgressDisplay(Style style, int total, FILE *stream)
    : m_style(style), m_total(total), m_stream(stream)
{
    m_clock.start();
    if (m_style == Style::Bar)
        drawBar(true);
}

void ProgressDisplay::fileDone(const QString &pdf, const QString &outcome, const QString &reason,
                               bool failed)
{
    ++m_done;
    m_failed += failed ? 1 : 0;
    switch (m_style) {
    case Style::Quiet:
        break;
    case Style::Bar:
        drawBar(m_done == m_total);
        break;
    case Style::Lines: {
        const QString line = QStringLiteral("%1/%2 %3 %4%5\n")
                                 .arg(m_done)
                                 .arg(m_total)
                                 .arg(outcome, nativepath::display(pdf), reason);
        std::fputs(line.toLocal8Bit().constData(), m_stream);
        std::fflush(m_stream);
        break;
    }
    }
}

void ProgressDisplay::finish()
{
    if (m_style != Style::Bar || !m_barShown)
        return;
    drawBar(true);
    std::fputs("\n", m_stream);
    std::fflush(m_stream);
    m_barShown = false;
}

QString ProgressDisplay::durationText(qint64 seconds)
{
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 % 60;
    const qint64 rest = seconds % 60;
    if (hours > 0)
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(rest, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, QLatin1Char('0'));
}

QString ProgressDisplay::barLine(int done, int total, int failed, qint64 elapsedMs, int width)
{
    QString estimate = QStringLiteral("--:--");
    if (done >= total)
        estimate = durationText(0);
    else if (done > 0)
        estimate = durationText((elapsedMs * (total - done) / done + 999) / 1000);
    const QString counts =
        QStringLiteral(" %1/%2 %3 failed, %4 left").arg(done).arg(total).arg(failed).arg(estimate);
    const int barWidth = std::max(0, std::min(40, width - int(counts.size()) - 3));
    if (barWidth < 5)
        return counts.trimmed().left(std::max(0, width - 1));
    const int filled = total > 0 ? int(qint64(barWidth) * done / total) : barWidth;
    return u'[' + QString(filled, u'#') + QString(barWidth - filled, u'.') + u']' + counts;
}

void ProgressDisplay::drawBar(bool force)
{
    const qint64 now = m_clock.elapsed();
    if (!force && m_drawnAt >= 0 && now - m_drawnAt < RedrawEveryMs)
        return;
    m_drawnAt = now;
    const int width = terminalWidth();
    QString line = barLine(m_done, m_total, m_failed, now, width);
    line = line.leftJustified(std::max(0, width - 1), u' ', true);
    std::fputs(("\r" + line).toLocal8Bit().constData(), m_stream);
    std::fflush(m_stream);
    m_barShown = true;
}

int ProgressDisplay::terminalWidth()
{
    winsize size = {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}
