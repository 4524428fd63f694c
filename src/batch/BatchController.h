// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/OutputChoice.h"
#include "platform/Services.h"

#include <functional>
#include <memory>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class CaptionProgressBar;
class ConversionRun;
struct FileOutcome;
class SessionConverters;
class MessageBoxes;
class PointerState;
class Procedure;
class RowListModel;
class RunPasswords;
class SettingsStore;

// "Start Converting To Text": converts the listed files as they are when the run starts, several
// at once, and ends with one message naming the files that gave no usable text and why. The run
// is driven by its converters' signals: the window, its boxes and a preview go on meanwhile. A
// click during a run asks whether to stop it.
class BatchController final : public QObject
{
    Q_OBJECT

public:
    // `outputChoice` gives the options as they are at the moment it is called; the limits are read
    // from `settings` at the start of each run.
    BatchController(RowListModel &rows, PointerState &pointer, CaptionProgressBar &progress,
                    const MessageBoxes &boxes, std::function<OutputChoice()> outputChoice,
                    SessionConverters &converters, const SettingsStore &settings,
                    QObject *parent = nullptr);
    ~BatchController() override;

    // A run is in progress, from the click until its final message is closed.
    bool isRunning() const { return m_busy; }
    // Converters of a run are at work (the final message is not shown yet).
    bool isConverting() const { return m_run != nullptr; }

    // The question a click during a run asks.
    static QString stopQuestion();
    // The progress bar's caption while a converter starts on the `started`th file of `total`:
    // "3 of 20: name.pdf", and the time left when it is known (`secondsLeft` >= 0).
    static QString progressCaption(int started, int total, const QString &fileName,
                                   qint64 secondsLeft);

public slots:
    // Starts a run; during a run, asks whether to stop it.
    void startConversion();

    // The window is closing: the running converters are killed now and their staging folders go;
    // texts already in place stay. No final message is shown.
    void abandon();

signals:
    // A run began (true) or ended with its final message closed (false).
    void runningChanged(bool running);

private:
    // The reasons not to start: an empty list, a missing output folder, no choice at all. Shows
    // the matching message and returns true when the run must not start.
    bool refuseToStart(Procedure &proc, const OutputChoice &choice);
    PasswordAnswer askPassword(const QString &pdf);
    void askToStop();
    void onRunFinished();
    void finishRun();
    // The final box, with "Save list..." and "Open output folder", until OK closes it.
    void showFinalMessage(const QString &text, const QList<FileOutcome> &outcomes);
    void saveList(const QList<FileOutcome> &outcomes);
    void openOutputFolder(const QList<FileOutcome> &outcomes);
    // The folder the run's texts went to.
    QString outputFolderOf(const QList<FileOutcome> &outcomes) const;
    // Seconds until the run ends at the pace of the files done so far; -1 before one is done.
    qint64 timeLeft() const;

    RowListModel &m_rows;
    PointerState &m_pointer;
    CaptionProgressBar &m_progress;
    const MessageBoxes &m_boxes;
    std::function<OutputChoice()> m_outputChoice;
    SessionConverters &m_converters;
    const SettingsStore &m_settings;
    // Lives from one click to the next: the password boxes of a run report through it.
    std::unique_ptr<Procedure> m_proc;
    std::unique_ptr<ConversionRun> m_run;
    // The run's passwords; kept until the next run, as a box of it may still be on the stack.
    std::unique_ptr<RunPasswords> m_passwords;
    bool m_busy = false;
    bool m_askingToStop = false;
    bool m_finishWaiting = false; // the run ended while the stop question was open
    bool m_closed = false;
    int m_filesInRun = 0;
    int m_filesStarted = 0;
    int m_filesDone = 0;
    QElapsedTimer m_runClock;
};
