// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunSetup.h"

#include "EndOfRunPrinter.h"
#include "engine/ConverterChoice.h"
#include "engine/ConverterDeployment.h"
#include "engine/ConverterKind.h"
#include "platform/ErrorReport.h"
#include "platform/ProcessLimits.h"

namespace {

// A failure inside the deployment: the description, on standard error.
void reportOnStandardError(const QString &, int, const QString &description)
{
    printError(QStringLiteral("morwenda-batch: ") + description);
}

int converterCount(const BatchOptions &options, const EndOfRunPrinter &printer)
{
    const int processors = processlimits::usableProcessors();
    if (options.jobs > processors) {
        printer.say(QStringLiteral("morwenda-batch: note: --jobs %1 is more than the %2 "
                                   "processor(s) this program may run on; %2 converter(s) run at "
                                   "once")
                        .arg(options.jobs)
                        .arg(processors));
        return processors;
    }
    return processlimits::converterCount(options.jobs);
}

} // namespace

namespace runsetup {

ConversionLimits limitsFor(const BatchOptions &options, const EndOfRunPrinter &printer)
{
    ConversionLimits limits;
    limits.converters = converterCount(options, printer);
    if (options.timeLimitSeconds >= 0)
        limits.idleSeconds = options.timeLimitSeconds;
    if (options.memoryLimitMegabytes >= 0)
        limits.memoryMegabytes = options.memoryLimitMegabytes;
    limits.ocr = options.ocr;
    limits.text = options.text;
    return limits;
}

OutputChoice choiceFor(const BatchOptions &options, bool passwordsGiven)
{
    OutputChoice choice;
    choice.mode =
        options.outFolder.isEmpty() ? OutputChoice::Mode::BesidePdf : OutputChoice::Mode::Folder;
    choice.folder = options.outFolder;
    choice.askPassword = passwordsGiven;
    return choice;
}

std::unique_ptr<ConverterKind> makeConverter(const BatchOptions &options,
                                             ConverterDeployment &deployment,
                                             const QString &serviceProgram, bool anyToConvert)
{
    if (anyToConvert && options.converter == converterchoice::Pdftotext) {
        Procedure proc(reportOnStandardError, tags::FormLoad);
        deployment.deploy(proc);
    }
    // The converter service is this program itself started with --converter-service; when it
    // cannot start, pdftotext takes over (put in place then).
    std::unique_ptr<ConverterKind> converter =
        makeConverterKind(options.converter, deployment, serviceProgram);
    if (!converter)
        printError(QStringLiteral("morwenda-batch: no converter called %1").arg(options.converter));
    return converter;
}

} // namespace runsetup
