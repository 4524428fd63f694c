// SPDX-License-Identifier: GPL-3.0-or-later
// The wire format's OCR fields and page messages over bytes: what goes out comes back, and a
// payload cut short or naming an unknown mode is refused rather than read as something else.
#include "service/ServiceProtocol.h"

#include <QTest>

using namespace serviceprotocol;

class TestServiceProtocol : public QObject
{
    Q_OBJECT

private slots:
    void ocrRequestAndAnswerComeBack();
    void brokenPayloadsAreRefused_data();
    void brokenPayloadsAreRefused();
};

namespace {

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
    const auto [id, back] = decodeDone(payloadOf(encodeDone(9, outcome)));
    QCOMPARE(id, 9u);
    QCOMPARE(back.diagnostics, std::string("said"));
    QCOMPARE(back.ocrPages, 3);
    QCOMPARE(back.ocrWords, 120);
    QCOMPARE(back.ocrConfidenceSum, std::uint64_t(10'800));

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
    QTest::newRow("request without its OCR page limit")
        << QByteArray("C") << bytes(request, request.size() - 1);
    QTest::newRow("request without its OCR fields")
        << QByteArray("C") << bytes(request, request.size() - 4 - 4 - 4 - 7 - 1);
    QByteArray unknownMode = bytes(request, request.size());
    unknownMode[unknownMode.size() - 4 - 4 - 4 - 7 - 1] = 3;
    QTest::newRow("request with an unknown OCR mode") << QByteArray("C") << unknownMode;
    QTest::newRow("answer without its confidence sum") << QByteArray("D") << bytes(done, done.size() - 1);
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
