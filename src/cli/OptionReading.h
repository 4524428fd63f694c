// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BatchOptions.h"
#include "OptionTable.h"

#include <climits>
#include <optional>
#include <QCommandLineParser>

// The steps that read morwenda-batch's options into BatchOptions, one concern each, in the order
// BatchOptions' parse takes them. Each returns the usage error's words, or none.
namespace optionreading {

using Problem = std::optional<QString>;

// A whole number from `least` to `most`, or nullopt.
std::optional<int> numberOf(const QString &text, int least, int most = INT_MAX);

// Where the texts go: beside, into a folder (made with --parents), or to standard output.
Problem readPlace(const QCommandLineParser &parser, const OptionTable &defined,
                  BatchOptions &options);
// --jobs, --time-limit, --memory-limit.
Problem readNumbers(const QCommandLineParser &parser, const OptionTable &defined,
                    BatchOptions &options);
// The paths and the lists and files they come from; standard input serves one of them at most.
Problem readInputs(const QCommandLineParser &parser, const OptionTable &defined,
                   BatchOptions &options);
// --shard K/N, refused when it is no part of a whole or the run converts one PDF only.
Problem readShard(const QCommandLineParser &parser, const OptionTable &defined,
                  BatchOptions &options);
// pdftotext's -opw and -upw, the owner's first.
Problem readCommandLinePasswords(const QCommandLineParser &parser, const OptionTable &defined,
                                 BatchOptions &options);
Problem readReport(const QCommandLineParser &parser, const OptionTable &defined,
                   BatchOptions &options);
Problem readConverter(const QCommandLineParser &parser, const OptionTable &defined,
                      BatchOptions &options);
// OCR: its mode, languages and drawing resolution; only the converter service reads by OCR.
Problem readOcr(const QCommandLineParser &parser, const OptionTable &defined,
                BatchOptions &options);

} // namespace optionreading
