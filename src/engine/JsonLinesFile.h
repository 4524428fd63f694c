// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "JsonLinesWriter.h"
#include "Outcome.h"
#include "TextOptions.h"

#include <QString>

// Where a file's JSON Lines go and how they are put in place: complete or not at all, like every
// text (platform/CompleteFile), from the complete staged text and the converter's page facts.
namespace jsonlinesfile {

// The JSON Lines' path beside a text path: "NAME.txt" and "NAME (2).txt" give "NAME.jsonl" and
// "NAME (2).jsonl"; another name gets ".jsonl" appended.
QString besideText(const QString &textPath);

// Puts the file's output in place from the complete text at `staged` (which is removed whatever
// happens), as `text.jsonLines` asks: the JSON Lines at file.output instead of the text, or the
// text at file.output and its JSON Lines beside it (besideText). When the JSON Lines cannot be
// written whole nothing is put in place and the places keep what they had. "" or why not.
QString putInPlace(const QString &staged, const FileOutcome &file, const TextOptions &text);

// The file's JSON Lines from the text at `textPath`, written to the stream `out`: the first line
// and its page lines, the pages those `text` asks for. "" or why not.
QString writeStream(const QString &textPath, const FileOutcome &file, const TextOptions &text,
                    const jsonlines::LineSink &out);

} // namespace jsonlinesfile
