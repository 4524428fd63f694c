// SPDX-License-Identifier: GPL-3.0-or-later
// A program in the middle of a run, for the tests of what a killed program leaves: converts the
// PDFs named on its command line into the folder given first, with the converter given before
// them ("service:PROGRAM" for the converter service of PROGRAM), prints "running" once a
// converter has started and waits for the run's end.
#include "engine/ConversionRun.h"
#include "engine/PdftotextConverter.h"
#include "engine/ServiceConverter.h"

#include <cstdio>
#include <QCoreApplication>
#include <QStringList>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    const QString servicePrefix = QStringLiteral("service:");
    std::unique_ptr<ConverterKind> converter;
    if (args.at(1).startsWith(servicePrefix))
        converter = std::make_unique<ServiceConverter>(
            args.at(1).mid(servicePrefix.size()), std::make_unique<PdftotextConverter>(QString()));
    else
        converter = std::make_unique<PdftotextConverter>(args.at(1));
    ConversionRun run(*converter);
    QObject::connect(&run, &ConversionRun::converting, [] {
        std::puts("running");
        std::fflush(stdout);
    });
    QObject::connect(&run, &ConversionRun::finished, &app, &QCoreApplication::quit);
    ConversionLimits limits;
    limits.converters = 2;
    limits.idleSeconds = 0;
    run.start(args.mid(3), {OutputChoice::Mode::Folder, args.at(2), false}, limits);
    return app.exec();
}
