// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgressDisplay.h"

#include "EndOfRunPrinter.h"
#include <QFileInfo>
#include <QTimer>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {
constexpr int RedrawEveryMs = 250;
}

ProgressDisplay::Style ProgressDisplay::styleFor(bool quiet)
{
    if (quiet)
        return Style::Quiet;
    return ::isatty(STDERR_FILENO) ? Style::Bar : Style::Lines;
}

ProgressDisplay::ProgressDisplay(Style style, int total, qint64 totalBytes, FILE *stream,
                                 QObject *parent)
    : QObject(parent), m_style(style), m_stream(stream)
{
    m_state.total = total;
    m_state.totalBytes = totalBytes;
    m_clock.start();
    if (m_style == Style::Bar) {
        m_timer = new QTimer(this);
        connect(m_timer, &QTimer::timeout, this, &ProgressDisplay::drawBar);
        m_timer->start(RedrawEveryMs);
        drawBar();
    }
}

void ProgressDisplay::started(const QString &pdf)
{
    if (!m_working.contains(pdf)) // a file tried again with the next password is there
        m_working.append(pdf);
}

void ProgressDisplay::fileDone(const QString &pdf, const QString &outcome, const QString &reason,
                               bool failed, int pages, qint64 bytes)
{
    ++m_state.done;
    const bool stopped = outcome == QStringLiteral("stopped");
    m_state.stopped += stopped ? 1 : 0;
    m_state.failed += failed && !stopped ? 1 : 0;
    m_state.doneBytes += bytes;
    m_state.pages += std::max(0, pages);
    m_working.removeOne(pdf);
    if (m_style != Style::Lines || stopped)
        return;
    const QString line = QStringLiteral("%1/%2 %3 %4%5\n")
                             .arg(m_state.done)
                             .arg(m_state.total)
                             .arg(outcome, EndOfRunPrinter::escapedName(pdf), reason);
    std::fputs(line.toLocal8Bit().constData(), m_stream);
    std::fflush(m_stream);
}

void ProgressDisplay::partDone(double filesDone)
{
    m_state.filled = std::max(m_state.filled, filesDone);
}

void ProgressDisplay::finish()
{
    if (m_timer)
        m_timer->stop();
    if (m_style != Style::Bar || !m_barShown)
        return;
    m_working.clear();
    drawBar();
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

QString ProgressDisplay::barLine(const State &state, int width)
{
    // The time left at the pace of the bytes converted so far: a run of large and small files
    // is estimated by what is left to read, not by how many files are left.
    QString left = QStringLiteral("--:--");
    if (state.done >= state.total)
        left = durationText(0);
    else if (state.doneBytes > 0 && state.totalBytes > state.doneBytes)
        left = durationText(
            (state.elapsedMs * (state.totalBytes - state.doneBytes) / state.doneBytes + 999) /
            1000);
    const double perSecond = state.elapsedMs > 0 ? state.pages * 1000.0 / state.elapsedMs : 0;
    const QString stopped =
        state.stopped > 0 ? QStringLiteral(", %1 stopped").arg(state.stopped) : QString();
    const QString counts = QStringLiteral(" %1/%2, %3 failed%4, %5 pages/s, %6 taken, %7 left")
                               .arg(state.done)
                               .arg(state.total)
                               .arg(state.failed)
                               .arg(stopped)
                               .arg(perSecond, 0, 'f', perSecond < 100 ? 1 : 0)
                               .arg(durationText(state.elapsedMs / 1000), left);
    const QString atWork =
        state.atWork.isEmpty() ? QString() : QStringLiteral(": ") + state.atWork.join(u' ');
    // The bar gives way to the names of the files at work when the terminal is narrow.
    const int room =
        width - 1 - int(counts.size()) - 2 - int(std::min<qsizetype>(atWork.size(), 24));
    const int barWidth = std::min(20, room);
    QString line = counts.trimmed();
    if (barWidth >= 5) {
        const double share = std::max<double>(state.done, state.filled);
        const int filled =
            state.total > 0 ? std::min(barWidth, int(barWidth * share / state.total)) : barWidth;
        line = u'[' + QString(filled, u'#') + QString(barWidth - filled, u'.') + u']' + counts;
    }
    return (line + atWork).left(std::max(0, width - 1));
}

void ProgressDisplay::drawBar()
{
    m_state.elapsedMs = m_clock.elapsed();
    m_state.atWork.clear();
    for (const QString &pdf : std::as_const(m_working))
        m_state.atWork.append(EndOfRunPrinter::escapedName(QFileInfo(pdf).fileName()));
    const int width = terminalWidth();
    const QString line = barLine(m_state, width).leftJustified(std::max(0, width - 1), u' ', true);
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
