// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PageLoop.h"

namespace childconversion {

// convertPages for the forms of words with their boxes (-tsv, -bbox, -bbox-layout): the whole of
// pdftotext's output for `pages`, each page's part handed on at its end. The page's size is its
// media box, or its crop box with -cropbox, which also draws it within the crop box. A page
// poppler cannot read keeps its page row and gets what poppler's device still holds, as
// pdftotext writes it. Where OCR reads a page, its words stand for poppler's.
void convertWordPages(PDFDoc &doc, PageRange pages, const serviceprotocol::ConvertRequest &request,
                      TextSink &sink, UnreadPages &unread, serviceprotocol::Outcome &outcome,
                      int answerFd);

} // namespace childconversion
