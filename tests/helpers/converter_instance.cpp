// A second running instance of the program as far as the converter goes: deploys it as start-up
// does (reports go to standard error), prints "ready", and on the line "remove" removes it as
// shutdown does, prints "removed" and exits.
#include "app/ErrorReport.h"
#include "convert/Converter.h"

#include <cstdio>
#include <iostream>
#include <QCoreApplication>
#include <string>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Procedure proc(
        [](const QString &tag, int line, const QString &description) {
            std::fprintf(stderr, "report %s%d: %s\n", qPrintable(tag), line,
                         qPrintable(description));
        },
        tags::FormLoad);
    converter::Deploy(proc);
    std::printf("ready\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "remove") {
            converter::RemoveAtShutdown();
            std::printf("removed\n");
            std::fflush(stdout);
            return 0;
        }
    }
    return 0;
}
