// SPDX-License-Identifier: GPL-3.0-or-later
// A second running instance of the program as far as the converter goes: deploys it as start-up
// does (reports go to standard error), prints "ready", and when its input ends removes it as
// shutdown does.
#include "engine/ConverterDeployment.h"
#include "platform/ErrorReport.h"

#include <cstdio>
#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Procedure proc(
        [](const QString &tag, int line, const QString &description) {
            std::fprintf(stderr, "%s%d: %s\n", qPrintable(tag), line, qPrintable(description));
        },
        tags::FormLoad);
    ConverterDeployment deployment;
    deployment.deploy(proc);
    std::puts("ready");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    deployment.remove();
}
