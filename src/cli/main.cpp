// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BatchCommand.h"
#include "cli/BatchOptions.h"
#include "engine/ConverterDeployment.h"
#include "platform/ChildProcess.h"
#include "platform/NativePath.h"
#include "platform/ProcessLimits.h"

#include "service/ConverterService.h"

#include <cstdio>
#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // The converter service needs no application object.
    if (converterservice::isRequested(argc, argv))
        return converterservice::run();
    processlimits::raiseOpenFileLimit();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("morwenda-batch"));
    QCoreApplication::setApplicationVersion(QStringLiteral(MORWENDA_VERSION));
    const ParsedCommandLine parsed = batchoptions::parse(nativepath::arguments(argc, argv));
    if (!parsed.options) {
        std::fputs(parsed.text.toLocal8Bit().constData(), parsed.exitStatus == 0 ? stdout : stderr);
        return parsed.exitStatus;
    }
    if (!parsed.warning.isEmpty())
        std::fputs(parsed.warning.toLocal8Bit().constData(), stderr);
    // Removed when the program ends, unless another running instance still uses it.
    ConverterDeployment deployment;
    int status = 0;
    {
        BatchCommand command(*parsed.options, deployment);
        status = command.exec();
    }
    // The converter services (and what their groups still run) end and are reaped before the
    // program: none is left to init, and their time counts in this program's.
    ChildProcess::endAll();
    return status;
}
