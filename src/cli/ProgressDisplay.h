// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <QElapsedTimer>
#include <QString>

// The progress of a batch on standard error. On a terminal: one line redrawn in place with a bar,
// the counts and an estimate of the time left, at most ten times a second. Elsewhere (a file, a
// pipe, a log): one line per finished file. Quiet: nothing.
class ProgressDisplay
{
public:
    enum class Style
    {
        Quiet,
        Bar,
        Lines
    };

    // The style for the program's standard error: Bar on a terminal, else Lines.
    static Style styleFor(bool quiet);

    ProgressDisplay(Style style, int total, FILE *stream = stderr);

    // One file is done: `failed` when it gave no usable text. `outcome` is its outcome's name,
    // `reason` the window's reason text ("" when converted).
    void fileDone(const QString &pdf, const QString &outcome, const QString &reason, bool failed);

    // The files done with the share of pages through of those converting (the bar moves).
    void partDone(double filesDone);

    // Ends the bar's line, so that what follows starts on a line of its own.
    void finish();

    // "1:05", "1:02:03".
    static QString durationText(qint64 seconds);

    // The bar's line for `done` of `total`, fitted to `width` columns.
    // `filled` (-1: `done`) is how many files' worth of the bar is filled.
    static QString barLine(int done, int total, int failed, qint64 elapsedMs, int width,
                           double filled = -1);

private:
    void drawBar(bool force);
    static int terminalWidth();

    Style m_style;
    int m_total;
    FILE *m_stream;
    int m_done = 0;
    int m_failed = 0;
    double m_filled = 0;
    QElapsedTimer m_clock;
    qint64 m_drawnAt = -1;
    bool m_barShown = false;
};
