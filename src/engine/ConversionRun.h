// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionLimits.h"
#include "Outcome.h"
#include "OutputChoice.h"

#include <functional>
#include <map>
#include <memory>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QStringList>
#include <vector>

class ConversionJob;
class ConverterKind;
class StagingFolder;

// One batch run over a snapshot of the listed files: up to `converters` jobs at once, dispatched in
// row order, each driven by its converter's own signals, so the caller's event loop (and any box it
// shows) keeps the run going. A text replaces an earlier file only when it is complete; a text path
// that an earlier row takes gets " (2)", " (3)" ... before ".txt" (outputpaths::numberSameNames).
// The final message (runsummary) lists the failures in row order, exactly as one file at a time
// would.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
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

    // The final message as the window shows it (runsummary::finalMessage).
    QString finalMessage() const;

    // The files done, with the share of pages through of the files converting now.
    double filesDone() const;

signals:
    // The file of row `row` is done: its outcome is final.
    void fileDone(int row);
    // A file is done (`done` of `total`).
    void progressed(int done, int total);
    // The file of row `row` is `done` of `total` pages through (converters that tell pages).
    void pagesDone(int row, int done, int total);
    // A converter starts on this file.
    void converting(const QString &pdf);
    // Every file is done and the staging folders are gone (delivered from the event loop).
    void finished();

private:
    struct Row
    {
        std::unique_ptr<ConversionJob> job;
        QString textPath;
        QElapsedTimer clock;
        double pageShare = 0; // of its pages through, while it converts
        bool dispatched = false;
        bool ended = false;
        bool committed = false;
        int passwordTry = 0; // index into m_passwords
    };

    void pump();
    bool dispatch(int index); // false when this run was deleted meanwhile
    void startJob(int index, StagingFolder &staging, const QString &password);
    void onJobFinished(int index);
    void settle(int index, Outcome outcome, const QString &reason);
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
    int m_next = 0;
    int m_active = 0;
    int m_done = 0;
    bool m_running = false;
    bool m_stopping = false;
    bool m_pumping = false;
};
