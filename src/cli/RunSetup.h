// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchOptions.h"
#include "engine/ConversionLimits.h"
#include "engine/OutputChoice.h"

#include <memory>
#include <QString>

class ConverterDeployment;
class ConverterKind;
class EndOfRunPrinter;

// What the engine's run is given from morwenda-batch's options.
namespace runsetup {

// The limits of the run: converters at once (--jobs, at most the processors this program may run
// on, said in a note), time and memory, OCR and the text asked for.
ConversionLimits limitsFor(const BatchOptions &options, const EndOfRunPrinter &printer);

// Beside each PDF or into --out DIR; a password box when passwords are given.
OutputChoice choiceFor(const BatchOptions &options, bool passwordsGiven);

// The converter the options name. pdftotext is put in place only when `anyToConvert`; when it
// cannot run, that is said once, and every file is reported as not converted for that reason.
// Null (said on standard error) when no converter has that name.
std::unique_ptr<ConverterKind> makeConverter(const BatchOptions &options,
                                             ConverterDeployment &deployment,
                                             const QString &serviceProgram, bool anyToConvert);

} // namespace runsetup
