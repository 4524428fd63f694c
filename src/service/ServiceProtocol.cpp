// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServiceProtocol.h"

#include "PayloadWriting.h"

#include <stdexcept>

namespace serviceprotocol {

using namespace payload;

namespace {

std::uint32_t readU32(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

} // namespace

void appendFrame(std::string &out, FrameKind kind, std::string_view payload)
{
    putU32(out, static_cast<std::uint32_t>(payload.size()));
    putU8(out, static_cast<std::uint8_t>(kind));
    out.append(payload);
}

std::string encodeConvert(const ConvertRequest &request)
{
    std::string payload;
    putU32(payload, request.id);
    putU8(payload, static_cast<std::uint8_t>(request.passwordUse));
    putU8(payload, static_cast<std::uint8_t>(request.target));
    putI32(payload, request.firstPage);
    putI32(payload, request.lastPage);
    putU64(payload, request.memoryLimit);
    putU32(payload, request.idleLimitMs);
    putString(payload, request.pdfPath);
    putString(payload, request.outputPath);
    putString(payload, request.password);
    putU8(payload, static_cast<std::uint8_t>(request.ocrMode));
    putString(payload, request.ocrLanguages);
    putI32(payload, request.ocrDpi);
    putI32(payload, request.ocrPageLimit);
    putU8(payload, static_cast<std::uint8_t>(request.textMode));
    putU8(payload, static_cast<std::uint8_t>(request.endOfLine));
    putU8(payload, request.pageBreaks ? 1 : 0);
    putString(payload, request.textEncoding);
    putI32(payload, request.splitAbovePages);
    putU8(payload, static_cast<std::uint8_t>(request.textOutput));
    putF64(payload, request.resolution);
    putI32(payload, request.cropX);
    putI32(payload, request.cropY);
    putI32(payload, request.cropWidth);
    putI32(payload, request.cropHeight);
    putF64(payload, request.fixedPitch);
    putU8(payload, request.discardDiagonal ? 1 : 0);
    putU8(payload, request.cropBox ? 1 : 0);
    putF64(payload, request.columnSpacing);
    putU8(payload, request.documentInfo ? 1 : 0);
    putI32(payload, request.pageBefore);
    std::string frame;
    appendFrame(frame, FrameKind::Convert, payload);
    return frame;
}

std::string encodeCancel(std::uint32_t id)
{
    std::string payload;
    putU32(payload, id);
    std::string frame;
    appendFrame(frame, FrameKind::Cancel, payload);
    return frame;
}

std::string encodeReady(std::string_view popplerVersion)
{
    std::string payload;
    putString(payload, popplerVersion);
    std::string frame;
    appendFrame(frame, FrameKind::Ready, payload);
    return frame;
}

std::string encodeTextHeader(std::uint32_t id, std::size_t length)
{
    std::string header;
    putU32(header, static_cast<std::uint32_t>(length + 4));
    putU8(header, static_cast<std::uint8_t>(FrameKind::Text));
    putU32(header, id);
    return header;
}

std::string encodePage(std::uint32_t id, std::int32_t done, std::int32_t total)
{
    std::string payload;
    putU32(payload, id);
    putI32(payload, done);
    putI32(payload, total);
    std::string frame;
    appendFrame(frame, FrameKind::Page, payload);
    return frame;
}

std::optional<Frame> takeFrame(std::string_view buffer, std::size_t &consumed)
{
    if (buffer.size() < frameHeaderLength)
        return std::nullopt;
    const std::uint32_t length = readU32(buffer);
    if (length > maxFrameLength)
        throw std::length_error("frame too long");
    if (buffer.size() < frameHeaderLength + length)
        return std::nullopt;
    consumed = frameHeaderLength + length;
    return Frame{static_cast<FrameKind>(static_cast<unsigned char>(buffer[4])),
                 buffer.substr(frameHeaderLength, length)};
}

std::string_view PayloadReader::take(std::size_t length)
{
    if (m_rest.size() < length)
        throw std::out_of_range("payload too short");
    const std::string_view part = m_rest.substr(0, length);
    m_rest.remove_prefix(length);
    return part;
}

std::uint8_t PayloadReader::u8()
{
    return static_cast<unsigned char>(take(1)[0]);
}

std::uint32_t PayloadReader::u32()
{
    return readU32(take(4));
}

std::uint64_t PayloadReader::u64()
{
    const std::uint64_t low = u32();
    const std::uint64_t high = u32();
    return low | (high << 32);
}

double PayloadReader::f64()
{
    return std::bit_cast<double>(u64());
}

std::string PayloadReader::string()
{
    const std::uint32_t length = u32();
    return std::string(take(length));
}

ConvertRequest decodeConvert(std::string_view payload)
{
    PayloadReader reader(payload);
    ConvertRequest request;
    request.id = reader.u32();
    request.passwordUse = static_cast<PasswordUse>(reader.u8());
    request.target = static_cast<OutputTarget>(reader.u8());
    request.firstPage = reader.i32();
    request.lastPage = reader.i32();
    request.memoryLimit = reader.u64();
    request.idleLimitMs = reader.u32();
    request.pdfPath = reader.string();
    request.outputPath = reader.string();
    request.password = reader.string();
    const std::uint8_t mode = reader.u8();
    if (mode > static_cast<std::uint8_t>(OcrMode::Always))
        throw std::out_of_range("unknown OCR mode");
    request.ocrMode = static_cast<OcrMode>(mode);
    request.ocrLanguages = reader.string();
    request.ocrDpi = reader.i32();
    request.ocrPageLimit = reader.i32();
    const std::uint8_t textMode = reader.u8();
    const std::uint8_t endOfLine = reader.u8();
    if (textMode > static_cast<std::uint8_t>(TextMode::Raw) ||
        endOfLine > static_cast<std::uint8_t>(EndOfLine::Mac))
        throw std::out_of_range("unknown text mode or line end");
    request.textMode = static_cast<TextMode>(textMode);
    request.endOfLine = static_cast<EndOfLine>(endOfLine);
    request.pageBreaks = reader.u8() != 0;
    request.textEncoding = reader.string();
    request.splitAbovePages = reader.i32();
    const std::uint8_t output = reader.u8();
    if (output > static_cast<std::uint8_t>(TextOutput::BboxLayout))
        throw std::out_of_range("unknown text output");
    request.textOutput = static_cast<TextOutput>(output);
    request.resolution = reader.f64();
    request.cropX = reader.i32();
    request.cropY = reader.i32();
    request.cropWidth = reader.i32();
    request.cropHeight = reader.i32();
    request.fixedPitch = reader.f64();
    request.discardDiagonal = reader.u8() != 0;
    request.cropBox = reader.u8() != 0;
    request.columnSpacing = reader.f64();
    request.documentInfo = reader.u8() != 0;
    request.pageBefore = reader.i32();
    return request;
}

PageProgress decodePage(std::string_view payload)
{
    PayloadReader reader(payload);
    PageProgress progress;
    progress.id = reader.u32();
    progress.done = reader.i32();
    progress.total = reader.i32();
    return progress;
}

} // namespace serviceprotocol
