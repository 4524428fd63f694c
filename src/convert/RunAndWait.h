#pragma once

#include <QString>
#include <QStringList>

class ProgressTarget;

// The interval between two polls of a wait: the progress display moves once per poll.
constexpr int PollMilliseconds = 100;

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

// One child process to run and wait for.
struct ProcessRequest
{
    QString program = {};
    QStringList arguments = {}; // each reaches the child as one argument, untouched by any shell
    ProgressTarget *progress = nullptr;
    QString caption = {};
    int startValue = 0;
    int fileCount = 0;
    int windowStyle = -1;                    // only matters on Windows
    int pollMilliseconds = PollMilliseconds; // values below 1 are taken as 1
};

// How a child ended.
struct ProcessResult
{
    enum class Status
    {
        Exited,       // ended by itself; exitCode holds its code
        Crashed,      // ended by a signal; signal holds its number (0 where the platform has none)
        FailedToStart // never ran; errorText says why
    };
    Status status = Status::FailedToStart;
    int exitCode = 0;
    int signal = 0;
    QString errorText;

    bool exitedWith(int code) const { return status == Status::Exited && exitCode == code; }
};

// Runs the request's program and waits for it, handling window events meanwhile, so other
// handlers and nested waits run. Returns the moment the child ends. A program that cannot be
// started (empty, missing, not executable) returns at once with the progress display untouched.
// With a progress display, the polls move it (see DisplayAtPoll) and at the end its text is set to
// the caption, or "Progress Bar" when the caption is empty. The child's output goes nowhere.
ProcessResult RunAndWait(const ProcessRequest &request);
