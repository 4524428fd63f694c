// SPDX-License-Identifier: GPL-3.0-or-later
// The converter service's wire format over bytes: every frame comes back as it was sent, also when
// its bytes arrive one by one, and a frame that is cut short, too long or whose fields run past
// its end is refused rather than read; the OCR fields and page messages come back too, and a
// payload cut short or naming an unknown mode is refused.
#include "service/ServiceProtocol.h"

#include <QTest>

#include <stdexcept>

using namespace serviceprotocol;

namespace {

std::string bytesOf(std::initializer_list<int> values)
{
    std::string bytes;
    for (const int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

std::string le32(std::uint32_t value)
{
    return bytesOf(
        {int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff), int(value >> 24)});
}

ConvertRequest fullRequest()
{
    ConvertRequest request;
    request.id = 0xfeedbeef;
    request.passwordUse = PasswordUse::OwnerThenUser;
    request.target = OutputTarget::File;
    request.firstPage = 1;
    request.lastPage = -7;
    request.memoryLimit = 0xfffffffffffffffeull;
    request.idleLimitMs = 0xffffffffu;
    request.pdfPath = "/a folder/\xe9t\xe9.pdf"; // not UTF-8: the system's bytes as they are
    request.outputPath = std::string("out\0put", 7);
    request.password = "p\xc3\xa4ss";
    return request;
}

Outcome fullOutcome()
{
    Outcome outcome;
    outcome.kind = OutcomeKind::WriteFailed;
    outcome.exitCode = -1;
    outcome.signal = 9;
    outcome.popplerError = 4;
    outcome.systemError = 28;
    outcome.pageCount = 24000;
    outcome.textBytes = 0x1'0000'0001ull;
    outcome.diagnostics = std::string(maxDiagnostics, 'x');
    return outcome;
}

// Takes every whole frame out of `bytes` as a reader of a pipe would: given `piece` bytes at a
// time, each frame only once it is whole.
std::vector<std::pair<FrameKind, std::string>> framesOf(const std::string &bytes, std::size_t piece)
{
    std::vector<std::pair<FrameKind, std::string>> frames;
    std::string buffer;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        buffer.append(bytes.substr(at, piece));
        std::size_t consumed = 0;
        while (auto frame = takeFrame(buffer, consumed)) {
            frames.emplace_back(frame->kind, std::string(frame->payload));
            buffer.erase(0, consumed);
        }
    }
    if (!buffer.empty())
        frames.emplace_back(FrameKind(0), buffer); // left over: a frame cut short
    return frames;
}

std::string payloadOf(const std::string &frame)
{
    std::size_t consumed = 0;
    const auto taken = takeFrame(frame, consumed);
    return taken ? std::string(taken->payload) : std::string();
}

ConvertRequest ocrRequest()
{
    ConvertRequest request;
    request.id = 7;
    request.pdfPath = "/tmp/scan.pdf";
    request.password = "pw";
    request.ocrMode = OcrMode::Always;
    request.ocrLanguages = "eng+deu";
    request.ocrDpi = 400;
    request.ocrPageLimit = 2;
    return request;
}

} // namespace

class TestServiceProtocol : public QObject
{
    Q_OBJECT

private slots:
    void framesComeBackAsSent_data();
    void framesComeBackAsSent();
    void brokenFramesAreRefused_data();
    void brokenFramesAreRefused();
    void textOutputRequestComesBack();
    void ocrRequestAndAnswerComeBack();
    void brokenPayloadsAreRefused_data();
    void brokenPayloadsAreRefused();
};

void TestServiceProtocol::framesComeBackAsSent_data()
{
    QTest::addColumn<int>("piece"); // bytes given to the reader at a time
    QTest::newRow("all at once") << 0;
    QTest::newRow("a byte at a time") << 1;
    QTest::newRow("seven bytes at a time") << 7;
}

void TestServiceProtocol::framesComeBackAsSent()
{
    QFETCH(int, piece);
    const ConvertRequest request = fullRequest();
    const Outcome outcome = fullOutcome();
    const std::string text = std::string("page one\f\0page two\f", 20);
    std::string wire = encodeConvert(request) + encodeCancel(77) + encodeReady("22.12.0") +
                       encodeTextHeader(5, text.size()) + text + encodeDone(5, outcome);
    const auto frames = framesOf(wire, piece == 0 ? wire.size() : std::size_t(piece));
    QCOMPARE(frames.size(), std::size_t(5));

    QCOMPARE(frames[0].first, FrameKind::Convert);
    const ConvertRequest back = decodeConvert(frames[0].second);
    QCOMPARE(back.id, request.id);
    QCOMPARE(back.passwordUse, request.passwordUse);
    QCOMPARE(back.target, request.target);
    QCOMPARE(back.firstPage, request.firstPage);
    QCOMPARE(back.lastPage, request.lastPage);
    QCOMPARE(back.memoryLimit, request.memoryLimit);
    QCOMPARE(back.idleLimitMs, request.idleLimitMs);
    QVERIFY(back.pdfPath == request.pdfPath);
    QVERIFY(back.outputPath == request.outputPath);
    QVERIFY(back.password == request.password);

    QCOMPARE(frames[1].first, FrameKind::Cancel);
    QCOMPARE(PayloadReader(frames[1].second).u32(), 77u);
    QCOMPARE(frames[2].first, FrameKind::Ready);
    QVERIFY(PayloadReader(frames[2].second).string() == "22.12.0");

    QCOMPARE(frames[3].first, FrameKind::Text);
    PayloadReader textReader(frames[3].second);
    QCOMPARE(textReader.u32(), 5u);
    QVERIFY(textReader.rest() == text);

    QCOMPARE(frames[4].first, FrameKind::Done);
    const auto [id, done] = decodeDone(frames[4].second);
    QCOMPARE(id, 5u);
    QCOMPARE(done.kind, outcome.kind);
    QCOMPARE(done.exitCode, outcome.exitCode);
    QCOMPARE(done.signal, outcome.signal);
    QCOMPARE(done.popplerError, outcome.popplerError);
    QCOMPARE(done.systemError, outcome.systemError);
    QCOMPARE(done.pageCount, outcome.pageCount);
    QCOMPARE(done.textBytes, outcome.textBytes);
    QVERIFY(done.diagnostics == outcome.diagnostics);
}

void TestServiceProtocol::brokenFramesAreRefused_data()
{
    QTest::addColumn<QByteArray>("wire");
    // "wait": not taken yet (the rest may come); "frame": the frame's length is refused at once;
    // "field": the frame is whole but a field runs past its end.
    QTest::addColumn<QString>("refusal");
    const auto bytes = [](const std::string &text) {
        return QByteArray(text.data(), qsizetype(text.size()));
    };
    const std::string done = encodeDone(3, Outcome());
    const std::string convert = encodeConvert(fullRequest());
    QTest::newRow("a header cut short") << bytes(done.substr(0, 4)) << "wait";
    QTest::newRow("a frame cut short") << bytes(done.substr(0, done.size() - 1)) << "wait";
    QTest::newRow("a frame longer than any may be")
        << bytes(le32(maxFrameLength + 1) + "D" + std::string(64, '\0')) << "frame";
    QTest::newRow("a negative frame length")
        << bytes(le32(0xffffffffu) + "C" + std::string(64, '\0')) << "frame";
    // The string's count says 1000 bytes where the frame holds 3.
    QTest::newRow("a string past the frame's end")
        << bytes(le32(4 + 3) + "R" + le32(1000) + "abc") << "field";
    QTest::newRow("a negative string length")
        << bytes(le32(4 + 3) + "R" + le32(0xffffffffu) + "abc") << "field";
    // A convert request whose frame ends before its last field, whatever follows on the wire.
    std::string shortConvert = convert;
    const std::uint32_t shorter = std::uint32_t(convert.size() - frameHeaderLength - 1);
    shortConvert.replace(0, 4, le32(shorter));
    QTest::newRow("a request missing its last byte") << bytes(shortConvert) << "field";
    QTest::newRow("an answer with no outcome") << bytes(le32(4) + "D" + le32(3)) << "field";
}

void TestServiceProtocol::brokenFramesAreRefused()
{
    QFETCH(QByteArray, wire);
    QFETCH(QString, refusal);
    const std::string_view bytes(wire.constData(), std::size_t(wire.size()));
    std::size_t consumed = 0;
    if (refusal == u"frame") {
        QVERIFY_THROWS_EXCEPTION(std::length_error, takeFrame(bytes, consumed));
        return;
    }
    const std::optional<Frame> frame = takeFrame(bytes, consumed);
    if (refusal == u"wait") {
        QVERIFY(!frame);
        return;
    }
    QVERIFY(frame);
    QVERIFY(consumed <= bytes.size());
    if (frame->kind == FrameKind::Convert)
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, decodeConvert(frame->payload));
    else if (frame->kind == FrameKind::Done)
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, decodeDone(frame->payload));
    else
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, PayloadReader(frame->payload).string());
}

// pdftotext's output forms and page geometry, doubles bit for bit included.
void TestServiceProtocol::textOutputRequestComesBack()
{
    ConvertRequest request = ocrRequest();
    request.textOutput = TextOutput::BboxLayout;
    request.resolution = 150.5;
    request.cropX = 10;
    request.cropY = -3;
    request.cropWidth = 400;
    request.cropHeight = 0;
    request.fixedPitch = 0.1;
    request.discardDiagonal = true;
    request.cropBox = true;
    request.columnSpacing = 1.0 / 3;
    request.documentInfo = true;
    request.pageBefore = 59;
    QVERIFY(decodeConvert(payloadOf(encodeConvert(request))) == request);
}

void TestServiceProtocol::ocrRequestAndAnswerComeBack()
{
    const ConvertRequest request = decodeConvert(payloadOf(encodeConvert(ocrRequest())));
    QCOMPARE(request.password, std::string("pw"));
    QCOMPARE(request.ocrMode, OcrMode::Always);
    QCOMPARE(request.ocrLanguages, std::string("eng+deu"));
    QCOMPARE(request.ocrDpi, 400);
    QCOMPARE(request.ocrPageLimit, 2);

    Outcome outcome;
    outcome.kind = OutcomeKind::Converted;
    outcome.diagnostics = "said";
    outcome.ocrPages = 3;
    outcome.ocrWords = 120;
    outcome.ocrConfidenceSum = 10'800;
    outcome.pagesRequested = 40;
    outcome.pagesUnread = 11;
    outcome.unreadPages = "3,31-40";
    outcome.ocrTurnedPages = {2};
    outcome.ocrDeskewedPages = {1, 3};
    outcome.ocrOrientationUnknown = true;
    outcome.memoryLimitPage = 7;
    outcome.documentInfo = "Title: A\nPages: 40\n";
    outcome.pages = {{5, 1234, PageFact::ByOcr, 30, 2700}, {6, 0, PageFact::Unread, 0, 0}};
    const auto [id, back] = decodeDone(payloadOf(encodeDone(9, outcome)));
    QCOMPARE(back.documentInfo, outcome.documentInfo);
    QVERIFY(back.pages == outcome.pages);
    QCOMPARE(id, 9u);
    QCOMPARE(back.diagnostics, std::string("said"));
    QCOMPARE(back.ocrPages, 3);
    QCOMPARE(back.ocrWords, 120);
    QCOMPARE(back.ocrConfidenceSum, std::uint64_t(10'800));
    QCOMPARE(back.pagesRequested, 40);
    QCOMPARE(back.pagesUnread, 11);
    QCOMPARE(back.unreadPages, std::string("3,31-40"));
    QCOMPARE(back.ocrTurnedPages, std::vector<std::int32_t>{2});
    QCOMPARE(back.ocrDeskewedPages, (std::vector<std::int32_t>{1, 3}));
    QVERIFY(back.ocrDoubtfulPages.empty());
    QVERIFY(back.ocrOrientationUnknown);
    QCOMPARE(back.memoryLimitPage, 7);

    std::size_t consumed = 0;
    const std::string frame = encodePage(4, 2, 40);
    const auto page = takeFrame(frame, consumed);
    QVERIFY(page && page->kind == FrameKind::Page);
    const PageProgress progress = decodePage(page->payload);
    QCOMPARE(progress.id, 4u);
    QCOMPARE(progress.done, 2);
    QCOMPARE(progress.total, 40);
}

void TestServiceProtocol::brokenPayloadsAreRefused_data()
{
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QByteArray>("payload");
    const std::string request = payloadOf(encodeConvert(ocrRequest()));
    const std::string done = payloadOf(encodeDone(1, Outcome()));
    const std::string page = payloadOf(encodePage(1, 1, 2));
    const auto bytes = [](const std::string &text, std::size_t length) {
        return QByteArray(text.data(), qsizetype(length));
    };
    // After the OCR fields: text mode, line end, page breaks (a byte each), the encoding (an empty
    // string: its length) and the page count above which a range is split.
    const std::size_t textFields = 1 + 1 + 1 + 4 + 4;
    const std::size_t ocrFields = 1 + (4 + 3) + 4 + 4; // mode, "eng+deu", dpi, page limit
    // Then the output form, resolution, crop area, pitch, two flags and the column spacing; last
    // the flag that asks for the document's information and the page before a split part.
    const std::size_t formFields = 1 + 8 + 4 * 4 + 8 + 1 + 1 + 8;
    const std::size_t last = 1 + 4;
    const std::size_t end = request.size() - last - formFields;
    QTest::newRow("request without its page before")
        << QByteArray("C") << bytes(request, request.size() - 1);
    QTest::newRow("request without its information flag")
        << QByteArray("C") << bytes(request, request.size() - 4 - 1);
    QTest::newRow("request without its column spacing")
        << QByteArray("C") << bytes(request, request.size() - last - 1);
    QByteArray unknownOutput = bytes(request, request.size());
    unknownOutput[qsizetype(end)] = 5;
    QTest::newRow("request with an unknown output") << QByteArray("C") << unknownOutput;
    QTest::newRow("request without its split count") << QByteArray("C") << bytes(request, end - 1);
    QTest::newRow("request without its OCR page limit")
        << QByteArray("C") << bytes(request, end - textFields - 1);
    QTest::newRow("request without its OCR fields")
        << QByteArray("C") << bytes(request, end - textFields - ocrFields);
    QByteArray unknownMode = bytes(request, request.size());
    unknownMode[qsizetype(end - textFields - ocrFields)] = 3;
    QTest::newRow("request with an unknown OCR mode") << QByteArray("C") << unknownMode;
    QByteArray unknownTextMode = bytes(request, request.size());
    unknownTextMode[qsizetype(end - textFields)] = 3;
    QTest::newRow("request with an unknown text mode") << QByteArray("C") << unknownTextMode;
    // The last fields: pages requested, pages unread, which (an empty string: its length), then
    // three empty page lists (their counts), the orientation note and the memory limit's page.
    // After them the document's information (an empty string) and the page records (a count).
    const std::size_t pageLists = 3 * 4 + 1 + 4;
    const std::size_t doneEnd = done.size() - 4 - 4;
    QTest::newRow("answer without its unread pages' names")
        << QByteArray("D") << bytes(done, doneEnd - pageLists - 1);
    QTest::newRow("answer without its page counts")
        << QByteArray("D") << bytes(done, doneEnd - pageLists - 4 - 4 - 4);
    QTest::newRow("answer without its orientation note")
        << QByteArray("D") << bytes(done, doneEnd - 4 - 1);
    QTest::newRow("answer without the memory limit's page")
        << QByteArray("D") << bytes(done, doneEnd - 1);
    QTest::newRow("answer without its page records")
        << QByteArray("D") << bytes(done, done.size() - 1);
    QByteArray longList = bytes(done, done.size());
    longList[qsizetype(doneEnd - pageLists)] = char(0xff);
    QTest::newRow("answer with a page list longer than itself") << QByteArray("D") << longList;
    QByteArray manyRecords = bytes(done, done.size());
    manyRecords[qsizetype(done.size() - 4)] = 1; // one record of 25 bytes that are not there
    QTest::newRow("answer with page records longer than itself")
        << QByteArray("D") << manyRecords;
    QTest::newRow("page message cut short") << QByteArray("P") << bytes(page, page.size() - 1);
}

void TestServiceProtocol::brokenPayloadsAreRefused()
{
    QFETCH(QByteArray, kind);
    QFETCH(QByteArray, payload);
    const std::string_view bytes(payload.constData(), std::size_t(payload.size()));
    bool refused = false;
    try {
        if (kind == "C")
            decodeConvert(bytes);
        else if (kind == "D")
            decodeDone(bytes);
        else
            decodePage(bytes);
    } catch (const std::out_of_range &) {
        refused = true;
    }
    QVERIFY(refused);
}

QTEST_GUILESS_MAIN(TestServiceProtocol)
#include "tst_serviceprotocol.moc"
