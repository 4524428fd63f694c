// SPDX-License-Identifier: GPL-3.0-or-later
// The converter service's rules over plain values: what a child's frames do to its request's
// clock and outcome, how unread pages are named, when a page's reading is doubtful or its text a
// stamp, and how much memory a picture takes.
#include "service/PageJudgement.h"
#include "service/PictureBudget.h"
#include "service/ServedChild.h"
#include "service/TextSink.h"
#include "service/UnreadPages.h"

#include <csignal>
#include <QTest>
#include <sys/mman.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace serviceprotocol;
using converterservice::Child;

namespace {

// A child of a request with a 10-second limit on a clock the test moves, its answers sent to
// `sent`.
struct ChildOnClock
{
    IdleDeadline::Clock::time_point now{};
    Child child;
    std::string sent;
    converterservice::Send send = [this](std::string_view bytes) { sent.append(bytes); };

    ChildOnClock()
    {
        child.id = 7;
        child.deadline = IdleDeadline(10s, [this] { return now; });
    }
};

std::string textFrame(std::string_view text)
{
    std::string frame;
    appendFrame(frame, FrameKind::Text, text);
    return frame;
}

} // namespace

class TestServiceRules : public QObject
{
    Q_OBJECT

private slots:
    void streamedTextAndEveryPageRestartTheClock();
    void onlyAChildWithoutProgressIsStopped_data();
    void onlyAChildWithoutProgressIsStopped();
    void answersSplitAcrossReadsComeWhole();
    void muchTextGoesInFramesTheServiceCanPassOn();
    void memoryLimitNamesThePageBeingConverted_data();
    void memoryLimitNamesThePageBeingConverted();
    void unreadPagesAreJoinedInRuns_data();
    void unreadPagesAreJoinedInRuns();
    void doubtfulReadings_data();
    void doubtfulReadings();
    void stampedScans_data();
    void stampedScans();
    void pictureSizes();
};

void TestServiceRules::streamedTextAndEveryPageRestartTheClock()
{
    ChildOnClock at;
    at.now += 9s;
    converterservice::takeAnswers(at.child, encodePage(0, 0, 3), at.send);
    QCOMPARE(at.child.deadline.due(), IdleDeadline::Clock::time_point{} + 10s); // opening only
    converterservice::takeAnswers(at.child, textFrame("words"), at.send);
    QCOMPARE(at.child.deadline.due(), at.now + 10s);
    at.now += 9s;
    converterservice::takeAnswers(at.child, encodePage(0, 1, 3), at.send);
    QCOMPARE(at.child.deadline.due(), at.now + 10s);
    QCOMPARE(at.child.textBytes, std::uint64_t(5));
    QCOMPARE(at.sent, encodePage(7, 0, 3) + encodeTextHeader(7, 5) + "words" + encodePage(7, 1, 3));
}

void TestServiceRules::onlyAChildWithoutProgressIsStopped_data()
{
    // Each step moves the clock by its seconds, then passes on what the child sent ("text",
    // "page N" for N of 3 pages done, "-" nothing), then asks whether the child is overdue;
    // `stoppedAt` is the step at which the limit of 10 s has passed, -1 for none.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("stoppedAt");
    QTest::newRow("text and pages keep a long file going")
        << QStringList{"9 text", "9 page 1", "9 page 2", "9 text", "9 page 3"} << -1;
    QTest::newRow("nothing for the limit") << QStringList{"9 -", "1 -"} << 1;
    QTest::newRow("the count told at opening is no progress")
        << QStringList{"9 page 0", "1 -"} << 1;
    QTest::newRow("silence after the first page") << QStringList{"5 page 1", "9 -", "1 -"} << 2;
}

// The service's decision to stop a child for its time limit, on a clock the test moves: the
// frames it passes on restart the clock, and a child stopped for its time ends as such.
void TestServiceRules::onlyAChildWithoutProgressIsStopped()
{
    QFETCH(QStringList, steps);
    QFETCH(int, stoppedAt);
    ChildOnClock at;
    int stopped = -1;
    for (int step = 0; step < steps.size() && stopped < 0; ++step) {
        const QStringList words = steps.at(step).split(u' ');
        at.now += std::chrono::seconds(words.at(0).toInt());
        if (words.at(1) == u"text")
            converterservice::takeAnswers(at.child, textFrame("words"), at.send);
        else if (words.at(1) == u"page")
            converterservice::takeAnswers(at.child, encodePage(0, words.at(2).toInt(), 3), at.send);
        if (converterservice::markIfOverdue(at.child))
            stopped = step;
    }
    QCOMPARE(stopped, stoppedAt);
    QCOMPARE(at.child.timedOut, stoppedAt >= 0);
    if (stoppedAt < 0)
        return;
    at.now += 100s;
    QVERIFY(!converterservice::markIfOverdue(at.child)); // stopped once
    QCOMPARE(converterservice::outcomeOf(at.child, SIGKILL).kind, OutcomeKind::TimeLimit);
}

void TestServiceRules::answersSplitAcrossReadsComeWhole()
{
    ChildOnClock at;
    Outcome converted;
    converted.kind = OutcomeKind::Converted;
    converted.exitCode = 0;
    const std::string bytes = textFrame("abc") + encodeDone(0, converted);
    for (const char byte : bytes)
        converterservice::takeAnswers(at.child, std::string_view(&byte, 1), at.send);
    QVERIFY(at.child.answer && at.child.answer->kind == OutcomeKind::Converted);
    QCOMPARE(at.sent, encodeTextHeader(7, 3) + "abc");
    QVERIFY(at.child.answerBuffer.empty());
    QVERIFY_THROWS_EXCEPTION(std::logic_error, converterservice::takeAnswers(at.child,
                                                                             "\xff\xff\xff\xff"
                                                                             "T",
                                                                             at.send));
}

// A page of much text, handed on at once, goes in frames each of which the service can pass on
// with its id under the frame limit.
void TestServiceRules::muchTextGoesInFramesTheServiceCanPassOn()
{
    const int fd = ::memfd_create("frames", MFD_CLOEXEC);
    QVERIFY(fd >= 0);
    std::string text(5 * childconversion::TextSink::MaxFrameText / 2, 'x');
    text.back() = 'y';
    childconversion::TextSink sink(fd, true);
    sink.append(text.data(), text.size());
    sink.flush();
    QCOMPARE(sink.written(), std::uint64_t(text.size()));
    std::string wire(std::size_t(::lseek(fd, 0, SEEK_CUR)), '\0');
    QCOMPARE(::pread(fd, wire.data(), wire.size(), 0), ssize_t(wire.size()));
    ::close(fd);
    std::string passedOn;
    std::size_t consumed = 0;
    int frames = 0;
    while (auto frame = takeFrame(wire, consumed)) {
        QCOMPARE(frame->kind, FrameKind::Text);
        QVERIFY(frame->payload.size() <= childconversion::TextSink::MaxFrameText);
        passedOn.append(frame->payload);
        wire.erase(0, consumed);
        ++frames;
    }
    QCOMPARE(frames, 3);
    QVERIFY(wire.empty());
    QVERIFY(passedOn == text);
}

void TestServiceRules::memoryLimitNamesThePageBeingConverted_data()
{
    QTest::addColumn<int>("firstPage");
    QTest::addColumn<QList<int>>("progress"); // pages done as told, of 3
    QTest::addColumn<QByteArray>("errors");   // the child's error output, in two reads
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("page");
    QTest::newRow("before the first page")
        << 1 << QList<int>{0} << QByteArray("Out of memory") << int(OutcomeKind::MemoryLimit) << 1;
    QTest::newRow("the mark split between reads")
        << 1 << QList<int>{0, 1} << QByteArray("Out of| memory") << int(OutcomeKind::MemoryLimit)
        << 2;
    QTest::newRow("in a range") << 40 << QList<int>{0, 1, 2} << QByteArray("Out of memory")
                                << int(OutcomeKind::MemoryLimit) << 42;
    QTest::newRow("after the last page: not known")
        << 1 << QList<int>{0, 1, 2, 3} << QByteArray("Out of memory")
        << int(OutcomeKind::MemoryLimit) << 0;
    QTest::newRow("no mark: a crash")
        << 1 << QList<int>{0} << QByteArray("Segmentation") << int(OutcomeKind::Crashed) << 0;
}

// A child that aborts on a refused allocation is stopped by the memory limit at the page after
// those it told done, counted from the request's first page.
void TestServiceRules::memoryLimitNamesThePageBeingConverted()
{
    QFETCH(int, firstPage);
    QFETCH(QList<int>, progress);
    QFETCH(QByteArray, errors);
    QFETCH(int, kind);
    QFETCH(int, page);
    ChildOnClock at;
    at.child.firstPage = firstPage;
    at.child.memoryLimited = true;
    for (const int done : progress)
        converterservice::takeAnswers(at.child, encodePage(0, done, 3), at.send);
    for (const QByteArray &part : errors.split('|'))
        converterservice::takeErrors(at.child, part.toStdString());
    const Outcome outcome = converterservice::outcomeOf(at.child, SIGABRT);
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(outcome.signal, SIGABRT);
    QCOMPARE(outcome.memoryLimitPage, page);
    QCOMPARE(outcome.diagnostics, errors.replace('|', "").toStdString());
}

void TestServiceRules::unreadPagesAreJoinedInRuns_data()
{
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << QList<int>{} << QString();
    QTest::newRow("one") << QList<int>{7} << QStringLiteral("7");
    QTest::newRow("two adjacent") << QList<int>{7, 8} << QStringLiteral("7-8");
    QTest::newRow("two apart") << QList<int>{3, 5} << QStringLiteral("3,5");
    QTest::newRow("runs and single pages")
        << QList<int>{1, 2, 3, 5, 7, 8, 200, 201, 202} << QStringLiteral("1-3,5,7-8,200-202");
}

void TestServiceRules::unreadPagesAreJoinedInRuns()
{
    QFETCH(QList<int>, pages);
    QFETCH(QString, text);
    childconversion::UnreadPages unread;
    for (const int page : pages)
        unread.add(page);
    QCOMPARE(unread.count(), int(pages.size()));
    QCOMPARE(QString::fromStdString(unread.text()), text);
}

void TestServiceRules::doubtfulReadings_data()
{
    QTest::addColumn<QList<float>>("confidences");
    QTest::addColumn<int>("letters");
    QTest::addColumn<int>("unread");
    QTest::addColumn<bool>("doubtful");
    QTest::newRow("nothing read, nothing seen") << QList<float>{} << 0 << 0 << false;
    QTest::newRow("a quarter of the words low")
        << QList<float>{59.4f, 90, 90, 90} << 0 << 0 << false;
    QTest::newRow("more than a quarter low") << QList<float>{59.4f, 59, 90, 90} << 0 << 0 << true;
    QTest::newRow("60 is no low confidence") << QList<float>{60, 60, 90} << 0 << 0 << false;
    QTest::newRow("a tenth of the letters unread") << QList<float>{90} << 40 << 4 << false;
    QTest::newRow("more than a tenth unread") << QList<float>{90} << 40 << 5 << true;
    QTest::newRow("too few letters to judge") << QList<float>{} << 39 << 39 << false;
    QTest::newRow("nothing read where letters are") << QList<float>{} << 100 << 100 << true;
}

void TestServiceRules::doubtfulReadings()
{
    QFETCH(QList<float>, confidences);
    QFETCH(int, letters);
    QFETCH(int, unread);
    QFETCH(bool, doubtful);
    pagejudgement::WordTally tally;
    for (const float confidence : confidences)
        tally.add(confidence);
    QCOMPARE(tally.words, int(confidences.size()));
    QCOMPARE(pagejudgement::isDoubtful(tally, letters, unread), doubtful);
}

void TestServiceRules::stampedScans_data()
{
    QTest::addColumn<double>("pictureCover");
    QTest::addColumn<double>("textCover");
    QTest::addColumn<bool>("stamped");
    QTest::newRow("a line of stamp on a scan") << 1.0 << 0.004 << true;
    QTest::newRow("at both thresholds") << 0.85 << 0.03 << true;
    QTest::newRow("a searchable scan") << 1.0 << 0.031 << false;
    QTest::newRow("a picture that covers too little") << 0.84 << 0.0 << false;
}

void TestServiceRules::stampedScans()
{
    QFETCH(double, pictureCover);
    QFETCH(double, textCover);
    QFETCH(bool, stamped);
    QCOMPARE(pagejudgement::isStampedScan(pictureCover, textCover), stamped);
}

// Sizes as leptonica lays pictures out, without overflow at the largest sides; the memory left
// under a limit.
void TestServiceRules::pictureSizes()
{
    using namespace picturebudget;
    QCOMPARE(pictureBytes(1, 1, 8), std::uint64_t(4));
    QCOMPARE(pictureBytes(5, 2, 8), std::uint64_t(16));
    QCOMPARE(pictureBytes(33, 1, 1), std::uint64_t(8));
    QCOMPARE(pictureBytes(0, 10, 8), std::uint64_t(0));
    QCOMPARE(pictureBytes(46341, 46341, 8), std::uint64_t(46344) * 46341);
    QVERIFY(pictureBytes(46341, 46341, 8) > MaxPictureBytes);
    QCOMPARE(pictureBytes(2147483647, 2147483647, 32), std::uint64_t(4) * 2147483647 * 2147483647);
    QVERIFY(!canHold(46341, 46341, 8));
    QVERIFY(!canHold(-1, 10, 8));
    QCOMPARE(left(100, 40), std::uint64_t(60));
    QCOMPARE(left(100, 140), std::uint64_t(0));
}

QTEST_GUILESS_MAIN(TestServiceRules)
#include "tst_servicerules.moc"
