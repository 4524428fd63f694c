#include "RunAndWait.h"

#include "platform/ProgressTarget.h"

#include <algorithm>
#include <cmath>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

constexpr int FirstWaitingPoll = 50;
constexpr int PollsPerStep = 150;

// Nearest integer, a tie going to the even neighbour (the default rounding mode).
int roundHalfEven(double x)
{
    return int(std::nearbyint(x));
}

// Why a program could not be started, in words.
QString startFailureText(const QString &program, const QString &qtText)
{
    if (program.isEmpty())
        return QStringLiteral("No program to run");
    QString path = program;
    if (!program.contains(u'/') && !program.contains(u'\\')) {
        path = QStandardPaths::findExecutable(program);
        if (path.isEmpty())
            return QStringLiteral("No such file: ") + program;
    }
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("No such file: ") + program;
    if (info.isDir() || !info.isExecutable())
        return QStringLiteral("Permission denied: ") + program;
    return qtText;
}

void applyWindowStyle(QProcess &child, int style)
{
#ifdef Q_OS_WIN
    // The styles 0 to 6 of a shell start, as show commands of the child's first window.
    static constexpr WORD ShowCommands[] = {SW_HIDE,           SW_SHOWNORMAL,     SW_SHOWMINIMIZED,
                                            SW_SHOWMAXIMIZED,  SW_SHOWNOACTIVATE, SW_SHOW,
                                            SW_SHOWMINNOACTIVE};
    const WORD show = ShowCommands[style];
    child.setCreateProcessArgumentsModifier([show](QProcess::CreateProcessArguments *args) {
        args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
        args->startupInfo->wShowWindow = show;
        if (show == SW_HIDE)
            args->flags |= CREATE_NO_WINDOW;
    });
#else
    // A console program started from here has no window of its own to show or hide.
    Q_UNUSED(child);
    Q_UNUSED(style);
#endif
}

} // namespace

StepAndCap ProgressStepAndCap(int startValue, int fileCount)
{
    if (fileCount > 0) {
        const double share = 100.0 / fileCount;
        const int step = roundHalfEven(share / 10.0);
        return {step, roundHalfEven(share + startValue - step)};
    }
    const int step = roundHalfEven((100.0 - startValue) / 10.0);
    return {step, 100 - step};
}

PollDisplay DisplayAtPoll(int poll, const QString &caption, int startValue, int fileCount)
{
    PollDisplay display;
    if (poll < FirstWaitingPoll)
        return display;
    const int waited = poll - FirstWaitingPoll;
    display.setsText = true;
    display.text = caption + (caption.isEmpty() ? QString() : QStringLiteral(", ")) +
                   QStringLiteral("Please wait.. ") + QString::number(waited);
    if (waited % PollsPerStep == 0) {
        const StepAndCap sc = ProgressStepAndCap(startValue, fileCount);
        const qint64 v = qint64(waited / PollsPerStep) * sc.step + startValue;
        display.setsValue = true;
        display.value = v >= sc.cap ? sc.cap : int(v);
    }
    return display;
}

int EffectiveWindowStyle(int windowStyle)
{
    return windowStyle < 0 || windowStyle > 6 ? 6 : windowStyle;
}

ProcessResult RunAndWait(const ProcessRequest &request)
{
    ProcessResult result;
    if (request.program.isEmpty()) {
        result.errorText = startFailureText(request.program, QString());
        return result;
    }

    QProcess child;
    child.setProgram(request.program);
    child.setArguments(request.arguments);
    // Output goes nowhere: a hostile PDF can make the converter write gigabytes of warnings.
    child.setStandardInputFile(QProcess::nullDevice());
    child.setStandardOutputFile(QProcess::nullDevice());
    child.setStandardErrorFile(QProcess::nullDevice());
    applyWindowStyle(child, EffectiveWindowStyle(request.windowStyle));

    QEventLoop loop;
    bool ended = false;
    bool failedToStart = false;
    QTimer ticker;
    int polls = 0;
    ProgressTarget *const progress = request.progress;

    QObject::connect(&child, &QProcess::finished, &loop, [&] {
        ended = true;
        ticker.stop();
        loop.quit();
    });
    QObject::connect(&child, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failedToStart = true;
            loop.quit();
        }
    });
    if (progress) {
        ticker.setInterval(std::max(1, request.pollMilliseconds));
        QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
            const PollDisplay display =
                DisplayAtPoll(++polls, request.caption, request.startValue, request.fileCount);
            if (display.setsText)
                progress->setText(display.text);
            if (display.setsValue)
                progress->setValue(display.value);
        });
        // The display only moves for a child that really runs.
        QObject::connect(&child, &QProcess::started, &ticker, qOverload<>(&QTimer::start));
    }

    child.start();
    if (!ended && !failedToStart)
        loop.exec();
    ticker.stop();
    if (!ended && !failedToStart) {
        // The application quit under this wait, so no event loop will deliver the child's end
        // any more; the child's end is still the only way out.
        child.waitForFinished(-1);
    }

    if (failedToStart) {
        result.errorText = startFailureText(request.program, child.errorString());
        return result;
    }
    if (progress)
        progress->setText(request.caption.isEmpty() ? QStringLiteral("Progress Bar")
                                                    : request.caption);
    if (child.exitStatus() == QProcess::CrashExit) {
        result.status = ProcessResult::Status::Crashed;
        result.signal = child.exitCode(); // QProcess gives the signal's number on POSIX
    } else {
        result.status = ProcessResult::Status::Exited;
        result.exitCode = child.exitCode();
    }
    return result;
}
