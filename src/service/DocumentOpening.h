// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ServiceProtocol.h"

#include <memory>

class PDFDoc;

// The opening of a request's PDF in the service's child, and what a file that did not open is.
namespace documentopening {

// The document opened with the password in the role(s) the request names.
std::unique_ptr<PDFDoc> openWithPassword(const serviceprotocol::ConvertRequest &request);

// The outcome for a document that did not open, as pdftotext's exit code 1 says it.
serviceprotocol::Outcome unopened(PDFDoc &doc, const serviceprotocol::ConvertRequest &request);

} // namespace documentopening
