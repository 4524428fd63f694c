// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServiceRequest.h"

#include "service/ConverterServiceClient.h"

#include <algorithm>

namespace servicerequest {

using namespace serviceprotocol;

// The service's outputs are named in the engine's order.
static_assert(int(TextOptions::Output::Text) == int(serviceprotocol::TextOutput::Text) &&
              int(TextOptions::Output::HtmlMeta) == int(serviceprotocol::TextOutput::HtmlMeta) &&
              int(TextOptions::Output::Tsv) == int(serviceprotocol::TextOutput::Tsv) &&
              int(TextOptions::Output::Bbox) == int(serviceprotocol::TextOutput::Bbox) &&
              int(TextOptions::Output::BboxLayout) == int(serviceprotocol::TextOutput::BboxLayout));

ConvertRequest of(const JobOrder &order, const ConversionLimits &limits)
{
    ConvertRequest request;
    request.target = OutputTarget::Stream;
    request.passwordUse = order.password.isEmpty() ? PasswordUse::None : PasswordUse::OwnerThenUser;
    request.password = ConverterServiceClient::passwordBytes(order.password);
    const TextOptions &text = order.text;
    request.firstPage = order.firstHundredPages ? 1 : text.firstPage;
    request.lastPage = order.firstHundredPages ? 100 : text.lastPage;
    request.textMode = text.mode == TextOptions::Mode::Layout ? TextMode::Layout
                       : text.mode == TextOptions::Mode::Raw  ? TextMode::Raw
                                                              : TextMode::Reading;
    request.endOfLine = text.endOfLine == TextOptions::EndOfLine::Dos   ? EndOfLine::Dos
                        : text.endOfLine == TextOptions::EndOfLine::Mac ? EndOfLine::Mac
                                                                        : EndOfLine::Unix;
    request.pageBreaks = text.pageBreaks;
    if (text.encoding != TextOptions::DefaultEncoding)
        request.textEncoding = text.encoding.toStdString();
    request.splitAbovePages = std::max(0, order.splitAbovePages);
    request.textOutput = static_cast<TextOutput>(text.output);
    request.resolution = text.resolution;
    request.cropX = text.crop.x;
    request.cropY = text.crop.y;
    request.cropWidth = text.crop.width;
    request.cropHeight = text.crop.height;
    request.fixedPitch = text.fixedPitch;
    request.discardDiagonal = text.discardDiagonal;
    request.cropBox = text.cropBox;
    request.columnSpacing = text.columnSpacing;
    request.documentInfo = order.documentInfo;
    request.pageBefore = order.pageBefore;
    // A preview shows some 100 lines: two pages read by OCR give them, in seconds, where a
    // hundred scanned pages would take minutes.
    if (order.firstHundredPages)
        request.ocrPageLimit = 2;
    request.memoryLimit = std::uint64_t(std::max(0, limits.memoryMegabytes)) * 1024 * 1024;
    request.idleLimitMs = std::uint32_t(ConversionLimits::idleMilliseconds(limits.idleSeconds));
    request.pdfPath = ConverterServiceClient::pathBytes(order.pdf);
    // OCR's text is UTF-8: a text in another encoding keeps poppler's pages only.
    request.ocrMode = order.text.encoding == TextOptions::DefaultEncoding
                          ? limits.ocr.mode
                          : serviceprotocol::OcrMode::Off;
    request.ocrLanguages = limits.ocr.languages.toStdString();
    request.ocrDpi = limits.ocr.dpi;
    return request;
}

} // namespace servicerequest
