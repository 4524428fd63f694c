// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BatchCommand.h"
#include "cli/BatchOptions.h"
#include "engine/ConverterDeployment.h"
#include "platform/ChildProcess.h"
#include "platform/NativePath.h"
#include "platform/ProcessLimits.h"

#include "service/ConverterService.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <QCoreApplication>
#include <unistd.h>

namespace {

// A closed descriptor 0 (`<&-`) would be taken by the first file the program opens (the event
// loop's own descriptor), and a read of standard input would then wait for ever. /dev/null holds
// its place; true when it was closed.
bool holdClosedStandardInput()
{
    if (::fcntl(STDIN_FILENO, F_GETFD) >= 0 || errno != EBADF)
        return false;
    const int fd = ::open("/dev/null", O_RDONLY);
    if (fd > STDIN_FILENO)
        ::close(fd);
    return true;
}

bool readsStandardInput(const BatchOptions &options)
{
    const QString stdinName = QStringLiteral("-");
    return options.paths.contains(stdinName) || options.filesFrom == stdinName ||
           options.files0From == stdinName || options.passwordFile == stdinName;
}

// The run with everything it made, ended and cleaned up before the program ends; `endSignal` is
// the signal the program is then to end by (0: none).
int runBatch(int argc, char *argv[], bool stdinClosed, int &endSignal)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("morwenda-batch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MORWENDA_VERSION));
    const ParsedCommandLine parsed = batchoptions::parse(nativepath::arguments(argc, argv));
    if (!parsed.options) {
        std::fputs(parsed.text.toLocal8Bit().constData(), parsed.exitStatus == 0 ? stdout : stderr);
        return parsed.exitStatus;
    }
    if (stdinClosed && readsStandardInput(*parsed.options)) {
        std::fputs("morwenda-batch: standard input (descriptor 0) is closed, and '-' reads it\n",
                   stderr);
        return batchoptions::UsageError;
    }
    if (!parsed.warning.isEmpty() && !parsed.options->quiet)
        std::fputs(parsed.warning.toLocal8Bit().constData(), stderr);
    // Removed when the program ends, unless another running instance still uses it.
    ConverterDeployment deployment;
    int status = 0;
    {
        BatchCommand command(*parsed.options, deployment);
        status = command.exec();
        endSignal = command.endSignal();
    }
    // The converter services (and what their groups still run) end and are reaped before the
    // program: none is left to init, and their time counts in this program's.
    ChildProcess::endAll();
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    // The converter service needs no application object.
    if (converterservice::isRequested(argc, argv))
        return converterservice::run();
    const bool stdinClosed = holdClosedStandardInput();
    processlimits::raiseOpenFileLimit();
    int endSignal = 0;
    const int status = runBatch(argc, argv, stdinClosed, endSignal);
    // Stopped by a signal (or the reader of -o - gone): once all is cleaned up, the program ends by
    // that signal, so a shell sees it (130 for Ctrl+C) and a loop around it stops.
    if (endSignal != 0) {
        std::fflush(nullptr);
        std::signal(endSignal, SIG_DFL);
        std::raise(endSignal);
    }
    return status;
}
