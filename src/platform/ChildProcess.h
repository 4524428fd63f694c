// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QStringList>

#include <memory>
#include <vector>

#include <sys/types.h>

namespace childprocess {

// For a child between fork and exec (or a forked child that runs on without exec): it is killed
// when the thread that made it ends, and ends at once with 127 when `parent` is already gone (it
// would otherwise be adopted and outlive the program). Only calls that are safe after a fork.
void tieToParent(pid_t parent) noexcept;

} // namespace childprocess

// A converter the program runs, driven by its own signals. The child is tied to the program
// (it dies with it), runs in a process group of its own (a Ctrl-C on the terminal reaches the
// program, which stops its children itself), optionally under an address-space limit. The last
// bytes of its error output are kept, since what a converter says last (a refused password, a
// refused allocation) decides how it ended. kill() ends the whole group. Destroying a running
// child kills it without waiting: it is reaped when its end is signalled, so no thread ever
// blocks on it. endAll() ends every child the program still has.
class ChildProcess : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype DefaultErrorTail = 64 * 1024;

    explicit ChildProcess(QObject *parent = nullptr);
    ~ChildProcess() override;

    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // The arguments reach the child byte for byte as nativepath::encode() spells them.
    void setProgram(const QString &program, const QStringList &arguments);
    // Address space in bytes (RLIMIT_AS); 0 is none.
    void setMemoryLimit(quint64 bytes) { m_memoryLimit = bytes; }
    // How many of the last bytes of the error output are kept.
    void setErrorTailLimit(qsizetype bytes) { m_errorTailLimit = bytes; }
    // Standard input from nothing (the default) or from this side (write()).
    void setInputFromNothing(bool nothing) { m_inputFromNothing = nothing; }
    // Standard output through a terminal of its own (a pseudo-terminal in raw mode, so the bytes
    // are unchanged) instead of a pipe: a program that buffers its output in blocks when it
    // writes to a pipe writes every line as it is made to a terminal. A pipe where no terminal
    // can be had.
    void setOutputThroughTerminal(bool terminal) { m_terminalWanted = terminal; }
    // An open descriptor of this program that the child keeps (as /dev/fd/N); -1 for none.
    void setInheritedDescriptor(int descriptor) { m_inherited = descriptor; }

    // finished() or failedToStart() follows.
    void start();
    // Kills the child and every process of its group; finished() follows.
    void kill();

    bool isRunning() const;
    qint64 processId() const;
    // The process itself, for its standard input.
    QProcess &process() { return *m_process; }
    // What the child wrote to its standard output since the last call.
    QByteArray readOutput();

    // The last bytes of the error output, read up to now.
    QByteArray errorTail();
    void clearErrorTail() { m_errorTail.clear(); }

    // Kills every child still running, also those whose owner is gone and that wait to be
    // reaped, and reaps them. For closing only, as the program ends next: a killed child ends at
    // once, and no turn of the event loop follows to reap it.
    static void endAll();
    // How many children are running or not reaped yet.
    static int liveCount();

signals:
    void outputReady();
    void errorOutputReady();
    void finished(int exitCode, QProcess::ExitStatus status);
    void failedToStart(const QString &reason);

private:
    void takeErrorOutput();
    bool openTerminal();
    void readTerminal();
    void closeTerminal();
    void onProcessFinished(int exitCode, QProcess::ExitStatus status);

    // An argument vector as bytes, made before the fork, for the exec between fork and exec.
    struct ExactArguments
    {
        QList<QByteArray> bytes;
        std::vector<char *> pointers;
    };

    QProcess *m_process;
    std::shared_ptr<ExactArguments> m_exactArguments;
    QByteArray m_errorTail;
    qsizetype m_errorTailLimit = DefaultErrorTail;
    quint64 m_memoryLimit = 0;
    bool m_inputFromNothing = true;
    bool m_terminalWanted = false;
    int m_inherited = -1;
    int m_terminal = -1;      // the terminal's side of the program, while the child's may write
    int m_childTerminal = -1; // the child's side, open here until the child has its own copy
    QObject *m_terminalNotifier = nullptr;
    QByteArray m_terminalOutput;
    bool m_finishPending = false; // the child ended; its last output is still to be read
    int m_exitCode = 0;
    QProcess::ExitStatus m_exitStatus = QProcess::NormalExit;
};
