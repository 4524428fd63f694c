// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace serviceprotocol {
struct ConvertRequest;
}

// The work of one request inside the child the service forks for it. poppler's global
// parameters are already loaded (by the service, before the fork). The text goes out in the way
// pdftotext writes it with the request's text options and output form (by default the text in
// reading order, a form feed after each page, UTF-8, LF line ends; or -htmlmeta's HTML, -tsv's
// table, -bbox's or -bbox-layout's boxes).
//
// The child writes its 'T' frames (the text, for OutputTarget::Stream) and one final 'D' frame,
// id 0, to `answerFd`, then ends with the exit code pdftotext would give: 0 converted, 1 the file
// did not open, 2 the text could not be written, 99 a wrong page range or a missing text encoding
// (and a page whose picture for OCR cannot be held within the memory limit: MemoryLimit, with the
// page's number).
// poppler's own messages go to the child's standard error, in pdftotext's words.
namespace childconversion {

// Loads what every conversion needs; called once in the service before any fork.
void loadLibrary();

// The version of the poppler library in use.
const char *libraryVersion();

[[noreturn]] void convertAndExit(const serviceprotocol::ConvertRequest &request, int answerFd);

} // namespace childconversion
