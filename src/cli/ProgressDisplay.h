// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;

// The progress of a batch on standard error. On a terminal: one line redrawn in place four times
// a second (also while a slow file converts) with a bar, the counts, pages per second, the time
// taken and left, and the files at work. Elsewhere (a file, a pipe, a log): one line per finished
// file. Quiet: nothing. A stopped file has no line: the summary counts them.
class ProgressDisplay : public QObject
{
    Q_OBJECT

public:
    enum class Style
    {
        Quiet,
        Bar,
        Lines
    };

    // What the bar's line shows.
    struct State
    {
        int done = 0;
        double filled = 0; // files done with the share of pages through of those converting
        int total = 0;
        int failed = 0;
        int stopped = 0;       // not converted because the run was stopped: not failed
        qint64 doneBytes = 0;  // of the PDFs converted so far
        qint64 totalBytes = 0; // of every PDF to convert
        qint64 pages = 0;      // of the texts so far
        qint64 elapsedMs = 0;
        QStringList atWork; // the names of the files converting now
    };

    // The style for the program's standard error: Bar on a terminal, else Lines.
    static Style styleFor(bool quiet);

    // `totalBytes`: the size of the PDFs to convert, from which the time left is estimated.
    ProgressDisplay(Style style, int total, qint64 totalBytes, FILE *stream = stderr,
                    QObject *parent = nullptr);

    // A converter starts on this file.
    void started(const QString &pdf);

    // One file is done: `failed` when it gave no usable text. `outcome` is its outcome's name,
    // `reason` the window's reason text ("" when converted), `pages` its text's (or -1), `bytes`
    // the PDF's size (0 for a file that was not converted).
    void fileDone(const QString &pdf, const QString &outcome, const QString &reason, bool failed,
                  int pages = -1, qint64 bytes = 0);

    // The files done with the share of pages through of those converting (the bar moves).
    void partDone(double filesDone);

    // Ends the bar's line, so that what follows starts on a line of its own.
    void finish();

    // "1:05", "1:02:03".
    static QString durationText(qint64 seconds);

    // The bar's line, fitted to `width` columns.
    static QString barLine(const State &state, int width);

private:
    void drawBar();
    static int terminalWidth();

    Style m_style;
    FILE *m_stream;
    State m_state;
    QStringList m_working; // the paths of the files converting now
    QElapsedTimer m_clock;
    QTimer *m_timer = nullptr;
    bool m_barShown = false;
};
