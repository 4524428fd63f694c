// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionJob.h"
#include "ConversionLimits.h"
#include "FileRanges.h"
#include "Outcome.h"
#include "OutputChoice.h"
#include "platform/FileIdentity.h"
#include "RunSummary.h"

#include <functional>
#include <map>
#include <memory>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QStringList>
#include <set>
#include <vector>

class ConverterKind;
class StagingFolder;

// One batch run over a snapshot of the listed files: up to `converters` jobs at once, dispatched in
// row order, each driven by its converter's own signals, so the caller's event loop (and any box it
// shows) keeps the run going. A text replaces an earlier file only when it is complete; a text path
// that an earlier row takes gets " (2)", " (3)" ... before ".txt" (outputpaths::numberSameNames).
// The final message (runsummary) lists the failures in row order, exactly as one file at a time
// would.
//
// With more than one converter, a file whose page range holds more than SplitAbovePages pages
// (the converter service says so when it opens the file, and converts nothing then) and behind
// which fewer files wait than there are converters is converted in page ranges, one job per range
// on a converter of its own: the ranges take the free
// converters, in page order, before the later files, and their texts are joined in page order
// into the file's one text, judged as a whole. A range that fails fails the file with its reason,
// and the others are stopped.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    // Measured with bench/cli on two busy cores (see its README): a range on a second converter
    // costs that converter's start (the service's, some 30 ms of processor time in a new
    // morwenda-batch) and one more opening of the file; at 64 pages that lost, at 96 it broke
    // even, from 192 pages on it gained.
    static constexpr int SplitAbovePages = 96;
    // Each range holds at least this many pages, and there are up to this many ranges per
    // converter, so that a converter that finishes early (on a machine shared with other work)
    // takes the next range instead of waiting for the slowest.
    static constexpr int MinimumRangePages = 48;
    static constexpr int RangesPerConverter = 4;
    // With OCR on, a scanned page takes seconds where a page of text takes milliseconds: a scan
    // of a few pages is worth its ranges already.
    static constexpr int OcrSplitAbovePages = 8;
    static constexpr int OcrMinimumRangePages = 4;

    // Answers the password of one file ("" for none). Called one file at a time, in row order;
    // it may wait in a local event loop (a password box) while started converters keep running.
    using PasswordProvider = std::function<QString(const QString &pdf)>;

    explicit ConversionRun(ConverterKind &converter, QObject *parent = nullptr);
    // Kills the running converters and removes the staging folders; texts in place stay.
    ~ConversionRun() override;

    void setPasswordProvider(PasswordProvider provider) { m_askPassword = std::move(provider); }

    // Passwords tried in their order, in place of the provider: a file whose converter refuses one
    // (Outcome::WrongPassword) is converted again with the next, and ends with the last answer.
    void setPasswords(QStringList passwords) { m_passwords = std::move(passwords); }

    // Starts the run and returns at once; finished() follows (also for an empty list). The rows
    // are taken as they are now: later changes of the list change nothing. `outputs`, when given,
    // holds one text path per row in place of the choice's rule (a PDF is still never replaced by
    // its own text); the choice then only says whether to ask for passwords.
    void start(const QStringList &rows, const OutputChoice &choice, const ConversionLimits &limits,
               const QStringList &outputs = {});

    // Kills the running converters at once; files not done are named as not converted. Texts
    // already in place stay. finished() follows.
    void stop();

    bool isRunning() const { return m_running; }
    bool wasStopped() const { return m_stopping; }

    // One entry per row, in row order (complete after finished()).
    const QList<FileOutcome> &outcomes() const { return m_outcomes; }

    // The final message (runsummary::finalMessage), in English or the user's language.
    QString finalMessage(runsummary::Words words = runsummary::Words::English) const;

    // The files done, with the share of pages through of the files converting now (kept as the
    // rows move, so asking costs the same for any number of rows).
    double filesDone() const;

signals:
    // The file of row `row` is done: its outcome is final.
    void fileDone(int row);
    // A file is done (`done` of `total`).
    void progressed(int done, int total);
    // The file of row `row` is `done` of `total` pages through (converters that tell pages; a
    // file converted in page ranges says so as each range ends).
    void pagesDone(int row, int done, int total);
    // A converter starts on this file.
    void converting(const QString &pdf);
    // Every file is done and the staging folders are gone (delivered from the event loop).
    void finished();

private:
    struct Row
    {
        FileRanges ranges;
        QString textPath; // the first part's text, and the joined text of a split
        QString password;
        StagingFolder *staging = nullptr;
        QElapsedTimer clock;
        // What the PDF was when its conversion began; each range's end compares the file with it.
        FileIdentity identity;
        double pageShare = 0; // of its pages through, while it converts
        bool dispatched = false;
        bool ended = false;
        bool committed = false;
        int passwordTry = 0; // index into m_passwords
    };

    void pump();
    bool dispatch(int index); // false when this run was deleted meanwhile
    bool startWaitingPart();
    void startPart(int index, int part);
    void onPartFinished(int index, int part);
    void splitRow(int index, int pageCount);
    bool pdfChanged(int index) const;
    void countSplitPages(int index);
    void failRow(int index, Outcome outcome, const QString &reason);
    void finishRowIfDone(int index);
    void settle(int index, Outcome outcome, const QString &reason);
    void settled(int index); // its outcome is set
    void setPageShare(Row &row, double share);
    void commit(int index);
    StagingFolder *stagingFor(const QString &output, QString &error);
    void finishIfDone();

    ConverterKind &m_converter;
    PasswordProvider m_askPassword;
    QStringList m_passwords;
    OutputChoice m_choice;
    ConversionLimits m_limits;
    QList<FileOutcome> m_outcomes;
    std::vector<Row> m_rows;
    std::map<QString, std::unique_ptr<StagingFolder>> m_staging;
    outputpaths::ListedFiles m_listed;         // never the place of a text
    std::map<QString, int> m_rowsLeftByFolder; // its staging folder goes with its last row
    std::set<int> m_waitingParts;              // split rows with a range not started yet
    int m_next = 0;
    int m_active = 0;
    int m_done = 0;
    double m_pageShares = 0; // the pageShare of every row dispatched and not committed
    bool m_running = false;
    bool m_stopping = false;
    bool m_pumping = false;
};
