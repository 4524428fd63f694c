#pragma once

#include <QString>
#include <QStringList>

class ProgressTarget;

// A start failure is reported as the error's number plus this base (application-defined errors).
constexpr int StartFailureBase = -2147221504;
// The error numbers that a failed start adds to the base.
constexpr int ErrorFileNotFound = 53;
constexpr int ErrorPermissionDenied = 70;
constexpr int ErrorInvalidCall = 5;

// True when a result of RunAndWait is a start failure rather than a child's exit code.
constexpr bool IsStartFailure(int result)
{
    return result >= StartFailureBase && result < StartFailureBase + 0x10000;
}

// The interval between two polls of a wait: the progress display moves once per poll.
constexpr int PollMilliseconds = 100;

// The interval that waits use from now on (PollMilliseconds unless changed). Tests shorten it to
// reach the later polls without waiting seconds; values below 1 are taken as 1.
void SetPollInterval(int milliseconds);
int PollInterval();

// How far the progress value creeps every 150 polls, and where it stops.
struct StepAndCap
{
    int step;
    int cap;
};

// With a file count above 0: step = round(100 / n / 10), cap = round(100 / n + start - step);
// with none (0 or less): step = round((100 - start) / 10), cap = 100 - step. Rounding takes the
// nearest integer, ties to the even one (4 files give a step of 2, not 3).
StepAndCap ProgressStepAndCap(int startValue, int fileCount);

// What the progress display shows after poll `poll` (counted from 1) of a wait.
struct PollDisplay
{
    bool setsText = false;
    QString text;
    bool setsValue = false;
    int value = 0; // may lie outside 0 to 100; the display holds it at the nearest end
};

// Nothing before the 50th poll. From then on the text is the caption, ", " when the caption is not
// empty, "Please wait.. " and the polls counted since the 50th; at the 50th poll and every 150
// polls after it the value moves one step from the start value, held at the cap.
PollDisplay DisplayAtPoll(int poll, const QString &caption, int startValue, int fileCount);

// The window style that a start uses: 0 to 6 as given, anything else 6 (minimized, no focus).
int EffectiveWindowStyle(int windowStyle);

// Runs `program` with `arguments` (each reaches the child as one argument, untouched by any shell)
// and waits for it, handling window events meanwhile, so other handlers and nested waits run.
// Returns the child's exit code the moment it ends; for a child that crashed, the code QProcess
// reports (on POSIX the number of the signal that ended it). A program that cannot be started
// (empty, missing, not executable) gives StartFailureBase plus an error number at once, with the
// progress display untouched. With a progress display, the polls move it (see DisplayAtPoll) and
// at the end its text is set to the caption, or "Progress Bar" when the caption is empty. The
// child's output goes nowhere. The window style only matters on Windows.
int RunAndWait(const QString &program, const QStringList &arguments,
               ProgressTarget *progress = nullptr, const QString &caption = QString(),
               int startValue = 0, int fileCount = 0, int windowStyle = -1);
