// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/PageList.h"
#include "engine/PageRanges.h"
#include "engine/TextCheck.h"
#include "engine/TextJoin.h"
#include "engine/TextJudge.h"
#include "engine/TextVerdict.h"
#include "FailingDevice.h"
#include "TestPlace.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {

QByteArray utf8(const char16_t *text)
{
    return QString::fromUtf16(text).toUtf8();
}

// Reads `bytes` from a file with `read`; fails when anything is reported.
template <typename Read> auto readBack(const QByteArray &bytes, Read read)
{
    TestPlace place;
    const QString path = place.path(QStringLiteral("text.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    file.close();
    return read(path, [](const QString &tag, int line, const QString &description) {
        QFAIL(qPrintable(QStringLiteral("reported %1%2: %3").arg(tag).arg(line).arg(description)));
    });
}

// A page range's result as its converter ends it; `unread` as the converter writes it.
JobResult rangeResult(int requested, const QString &unread, int unreadCount, double confidence = -1,
                      QList<int> doubtful = {})
{
    JobResult result;
    result.pagesRequested = requested;
    result.pagesUnread = unreadCount;
    result.unreadPages = unread;
    result.pages = requested - unreadCount;
    result.outcome = result.pages > 0 ? Outcome::Converted : Outcome::Damaged;
    result.ocrPages = confidence >= 0 ? result.pages : 0;
    result.ocrConfidence = confidence;
    result.ocr.doubtful = std::move(doubtful);
    return result;
}

} // namespace

Q_DECLARE_METATYPE(TextFacts)
Q_DECLARE_METATYPE(QList<JobResult>)

class TestTextCheck : public QObject
{
    Q_OBJECT

private slots:
    void noUsableText_data();
    void noUsableText();
    void noUsableTextInEachForm_data();
    void noUsableTextInEachForm();
    void pageBreaksNeverChangeTheJudgement_data();
    void pageBreaksNeverChangeTheJudgement();
    void joinedTextChecksEveryWrite_data();
    void joinedTextChecksEveryWrite();
    void readLines_data();
    void readLines();
    void unreadableFileIsReportedOnce();
    void outcomeLadder_data();
    void outcomeLadder();
    void rangesEndAsOneText_data();
    void rangesEndAsOneText();
    void pageLists_data();
    void pageLists();
    void rangesCoverThePagesAsked_data();
    void rangesCoverThePagesAsked();
};

void TestTextCheck::noUsableText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("noText");

    QTest::newRow("three page breaks") << QByteArray("\f\f\f") << true;
    QTest::newRow("Page and a page break") << QByteArray("Page\f") << true;
    QTest::newRow("five printable and a page break") << QByteArray("Hello\f") << true;
    QTest::newRow("six printable and a page break") << QByteArray("Hello!\f") << false;
    QTest::newRow("character 127 is not printable") << QByteArray("Hello\x7f") << true;
    QTest::newRow("Page 1 and a page break: six printable") << QByteArray("Page 1\f") << false;
    QTest::newRow("Hello alone: nothing non-printable") << QByteArray("Hello") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("tab line, then ten letters") << QByteArray("\t\nabcdefghij") << false;
    QTest::newRow("line breaks count neither way") << QByteArray("ab\n\r\ncd\n") << false;
    QTest::newRow("a CR without LF is not a line break") << QByteArray("ab\rcd") << true;
    QTest::newRow("a CR at the very end") << QByteArray("abc\r") << true;
    QTest::newRow("Latin-1 letters count") << utf8(u"éàüßñ\u00a0\f") << false;
    QTest::newRow("C1 controls do not count") << utf8(u"ab\u007f\u0085\u009fcd") << true;
    QTest::newRow("Greek") << utf8(u"Καλημέρα κόσμε\f") << false;
    QTest::newRow("Arabic") << utf8(u"مرحبا بالعالم\f") << false;
    QTest::newRow("Chinese") << utf8(u"你好世界文本\f") << false;
    QTest::newRow("ideographic space counts") << utf8(u"文字\u3000文字文\f") << false;
    QTest::newRow("combining marks count") << utf8(u"e\u0301e\u0301e\u0301\f") << false;
    QTest::newRow("three characters beyond 16 bits are three, not six")
        << utf8(u"\U0001F600\U0001D400\U00020000\f") << true;
    QTest::newRow("six characters beyond 16 bits")
        << utf8(u"\U0001D400\U0001D401\U00020000\U00020001\U0001F600\U0001F601\f") << false;
    QTest::newRow("replacement characters do not count") << utf8(u"\ufffd\ufffd\ufffdabcd") << true;
    QTest::newRow("bytes that are not UTF-8 do not count")
        << QByteArray("ab\xff\xfe\xff\xfe") << true;
    QTest::newRow("an unfinished sequence at the end") << QByteArray("abc\xe6\x97") << true;
    QTest::newRow("private-use characters do not count")
        << utf8(u"\ue000\ue001\ue002\ue003") << true;
    QTest::newRow("line separators do not count") << utf8(u"ab\u2028\u2029cd") << true;

    // The file is read in pieces: what lies across the border of two pieces.
    const QByteArray upToBorder = QByteArray("ab") + QByteArray(TextReadChunkBytes - 3, '\n');
    QTest::newRow("a letter split between two pieces counts once")
        << QByteArray(TextReadChunkBytes - 1, '\n') + utf8(u"日本語文字文") << false;
    QTest::newRow("CR LF split between two pieces") << upToBorder + "\r\ncd" << false;
    QTest::newRow("a CR at the end of a piece, a letter after it") << upToBorder + "\rcd" << true;
}

void TestTextCheck::noUsableText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, noText);
    QCOMPARE(readBack(bytes, ::hasNoUsableText), noText);
    // The same answer when the text streams in byte by byte, as it comes from the converter.
    TextJudge judge;
    for (const char byte : std::as_const(bytes))
        judge.feed(QByteArrayView(&byte, 1));
    judge.finish();
    QCOMPARE(judge.hasNoUsableText(), noText);
}

void TestTextCheck::noUsableTextInEachForm_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("endOfLine");
    QTest::addColumn<bool>("noText");

    QTest::newRow("Latin1: six accented letters are text")
        << QByteArray("\xe9\xe8\xe0\xf9\xe7\xea\f") << "Latin1"
        << "unix" << false;
    QTest::newRow("ASCII7: five letters and a page break are not")
        << QByteArray("abcde\f") << "ASCII7"
        << "unix" << true;
    QTest::newRow("UTF-16: six Japanese characters are text")
        << QByteArray("\x65\xe5\x67\x2c\x8a\x9e\x65\x87\x5b\x57\x30\x6e\x00\x0c") << "UTF-16"
        << "unix" << false;
    QTest::newRow("UTF-16: page breaks only are not")
        << QByteArray("\x00\x0c\x00\x0c", 4) << "UTF-16"
        << "unix" << true;
    QTest::newRow("UTF-16: half a character at the end is not text")
        << QByteArray("\x00a\x00b\x00", 5) << "UTF-16"
        << "unix" << true;
    QTest::newRow("KOI8-R: a Russian word is text")
        << QByteArray("\xf0\xd2\xc9\xd7\xc5\xd4\f") << "KOI8-R"
        << "unix" << false;
    QTest::newRow("Symbol: bytes taken one by one")
        << QByteArray("\xe1\xe2\xe3\xe4\xe5\xe6\f") << "Symbol"
        << "unix" << false;
    QTest::newRow("mac line ends: a CR alone ends a line") << QByteArray("abc\r") << "UTF-8"
                                                           << "mac" << false;
    QTest::newRow("unix line ends: a CR alone is no line end") << QByteArray("abc\r") << "UTF-8"
                                                               << "unix" << true;
}

// The text check reads a text in the encoding and with the line ends it was written in.
void TestTextCheck::noUsableTextInEachForm()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    QFETCH(QString, endOfLine);
    QFETCH(bool, noText);
    TextOptions form;
    form.encoding = encoding;
    QVERIFY(textoptions::endOfLineFromName(endOfLine, form.endOfLine));
    QCOMPARE(readBack(bytes,
                      [&form](const QString &path, const ReportFn &report) {
                          return hasNoUsableTextAs(path, form, report);
                      }),
             noText);
    TextJudge judge(form);
    for (const char byte : std::as_const(bytes))
        judge.feed(QByteArrayView(&byte, 1));
    judge.finish();
    QCOMPARE(judge.hasNoUsableText(), noText);
}

void TestTextCheck::pageBreaksNeverChangeTheJudgement_data()
{
    QTest::addColumn<QByteArray>("page"); // one page's text without its form feed
    QTest::addColumn<bool>("noText");
    QTest::newRow("four letters") << QByteArray("Test\n\n") << true;
    QTest::newRow("five letters") << QByteArray("Hello") << true;
    QTest::newRow("six printable characters") << QByteArray("Page 1\n") << false;
}

// The same page judged as pdftotext writes it with page breaks and with -nopgbrk.
void TestTextCheck::pageBreaksNeverChangeTheJudgement()
{
    QFETCH(QByteArray, page);
    QFETCH(bool, noText);
    for (const bool pageBreaks : {true, false}) {
        TextOptions form;
        form.pageBreaks = pageBreaks;
        TextJudge judge(form);
        judge.feed(pageBreaks ? page + '\f' : page);
        judge.finish();
        QVERIFY2(judge.hasNoUsableText() == noText, pageBreaks ? "with page breaks" : "without");
    }
}

void TestTextCheck::joinedTextChecksEveryWrite_data()
{
    QTest::addColumn<qint64>("room");  // bytes the target takes; -1: all
    QTest::addColumn<qint64>("piece"); // bytes it takes a write; -1: all
    QTest::addColumn<bool>("readFails");
    QTest::addColumn<QString>("error"); // "" when the text is carried whole
    QTest::newRow("writes cut short go on") << qint64(-1) << qint64(3) << false << QString();
    QTest::newRow("a full disk at once")
        << qint64(0) << qint64(-1) << false << QStringLiteral("No space left on device");
    QTest::newRow("a full disk after a few bytes")
        << qint64(10) << qint64(4) << false << QStringLiteral("No space left on device");
    QTest::newRow("a range that cannot be read")
        << qint64(-1) << qint64(-1) << true << QStringLiteral("Input/output error");
}

// A range's text is appended to the joined text with every write checked: a write cut short goes
// on with the rest, a failed one (or a failed read) is said with its reason.
void TestTextCheck::joinedTextChecksEveryWrite()
{
    QFETCH(qint64, room);
    QFETCH(qint64, piece);
    QFETCH(bool, readFails);
    QFETCH(QString, error);
    const QByteArray text = "Page 1 of the second range\n\f";
    QBuffer range;
    range.setData(text);
    QVERIFY(range.open(QIODevice::ReadOnly));
    FailingDevice failingRange(-1);
    if (readFails) {
        failingRange.failReading();
        QVERIFY(failingRange.open(QIODevice::ReadOnly));
    }
    FailingDevice joined(room, piece);
    QVERIFY(joined.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    TextJudge judge;
    QString said;
    const bool carried = carryJudgedText(readFails ? static_cast<QIODevice &>(failingRange)
                                                   : static_cast<QIODevice &>(range),
                                         &joined, judge, said);
    QCOMPARE(carried, error.isEmpty());
    QCOMPARE(said, error);
    if (carried)
        QCOMPARE(joined.written(), text);
}

void TestTextCheck::readLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("limit");

    const qsizetype border = TextReadChunkBytes - 1;
    QTest::newRow("empty file: no lines") << QByteArray() << QStringList() << -1;
    QTest::newRow("CR LF, LF, a last line without LF")
        << QByteArray("a\r\nb\n\nc") << QStringList{"a", "b", "", "c"} << -1;
    QTest::newRow("a CR without LF and page breaks stay in the line")
        << QByteArray("a\rb\r\n\fpage two\n") << QStringList{"a\rb", "\fpage two"} << -1;
    QTest::newRow("UTF-8, and bytes that are not")
        << utf8(u"Grüße\r\n日本語\n").append("a\xff") << QStringList{"Grüße", "日本語", "a\ufffd"}
        << -1;
    QTest::newRow("CR LF split between two pieces")
        << QByteArray(border, 'x') + "\r\ny" << QStringList{QString(border, u'x'), "y"} << -1;
    QTest::newRow("a letter split between two pieces")
        << QByteArray(border, 'x') + utf8(u"語\n") << QStringList{QString(border, u'x') + "語"}
        << -1;
    QTest::newRow("reading stops at the limit")
        << QByteArray("a\nb\nc\n") << QStringList{"a", "b"} << 2;
    QTest::newRow("a last line without LF beyond the limit")
        << QByteArray("a\r\nb") << QStringList{"a"} << 1;
}

void TestTextCheck::readLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(int, limit);
    QCOMPARE(readBack(bytes,
                      [limit](const QString &path, const ReportFn &report) {
                          return readTextLines(path, report, limit);
                      }),
             lines);
}

void TestTextCheck::unreadableFileIsReportedOnce()
{
    TestPlace place;
    const QString folder = place.path(QStringLiteral("folder.txt"));
    QVERIFY(QDir().mkpath(folder));
    QStringList reports;
    const ReportFn collect = [&](const QString &tag, int line, const QString &description) {
        reports << QStringLiteral("%1%2").arg(tag).arg(line);
        QVERIFY(!description.isEmpty());
    };
    QCOMPARE(::hasNoUsableText(folder, collect), false);
    QCOMPARE(readTextLines(folder, collect), QStringList());
    QCOMPARE(reports, (QStringList{tags::NoTextPDF + "100", tags::ReadLines + "100"}));
}

void TestTextCheck::outcomeLadder_data()
{
    QTest::addColumn<TextFacts>("facts");
    QTest::addColumn<Outcome>("outcome");
    const auto facts = [](qint64 bytes, int requested, int unread, double confidence = -1,
                          QList<int> doubtful = {}) {
        TextFacts made;
        made.bytes = bytes;
        made.pages = requested - unread;
        made.pagesRequested = requested;
        made.pagesUnread = unread;
        made.ocrPages = confidence >= 0 ? made.pages : 0;
        made.ocrConfidence = confidence;
        made.ocrDoubtful = std::move(doubtful);
        return made;
    };
    TextFacts noPageBreaks = facts(0, 0, 0);
    noPageBreaks.pageBreaks = false;
    TextFacts unusable = facts(40, 12, 0, 21.1);
    unusable.noUsableText = true;
    TextFacts allUnreadWithoutBreaks = facts(3, 4, 4);
    allUnreadWithoutBreaks.pageBreaks = false;
    QTest::newRow("usable text") << facts(900, 3, 0) << Outcome::Converted;
    QTest::newRow("some pages unread") << facts(900, 3, 1) << Outcome::Converted;
    QTest::newRow("every page unread") << facts(0, 4, 4) << Outcome::Damaged;
    QTest::newRow("every page unread, no page breaks")
        << allUnreadWithoutBreaks << Outcome::Damaged;
    QTest::newRow("page breaks, not one byte") << facts(0, 0, 0) << Outcome::Damaged;
    QTest::newRow("no byte, no page breaks") << noPageBreaks << Outcome::NoUsableText;
    QTest::newRow("no usable text before low confidence") << unusable << Outcome::NoUsableText;
    QTest::newRow("a faint scan") << facts(900, 12, 0, 21.1) << Outcome::LowConfidence;
    QTest::newRow("confidence at the threshold") << facts(900, 12, 0, 60) << Outcome::Converted;
    QTest::newRow("OCR read no word") << facts(900, 12, 0, -1) << Outcome::Converted;
    QTest::newRow("low confidence before doubtful")
        << facts(900, 12, 0, 30, {4}) << Outcome::LowConfidence;
    QTest::newRow("doubtful pages") << facts(900, 12, 0, 90, {4, 5}) << Outcome::OcrDoubtful;
}

void TestTextCheck::outcomeLadder()
{
    QFETCH(TextFacts, facts);
    QFETCH(Outcome, outcome);
    const TextVerdict verdict = textverdict::judge(facts);
    QCOMPARE(outcomeName(verdict.outcome), outcomeName(outcome));
    QCOMPARE(verdict.reason.isEmpty(), outcome == Outcome::Converted);
}

void TestTextCheck::rangesEndAsOneText_data()
{
    QTest::addColumn<QList<JobResult>>("ranges");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("unreadPages");
    QTest::newRow("a faint scan in two ranges")
        << QList<JobResult>{rangeResult(6, "", 0, 21.1), rangeResult(6, "", 0, 21.1)}
        << Outcome::LowConfidence << QString();
    QTest::newRow("doubtful pages of the second range")
        << QList<JobResult>{rangeResult(6, "", 0, 90), rangeResult(6, "", 0, 90, {9})}
        << Outcome::OcrDoubtful << QString();
    QTest::newRow("unread pages of two ranges")
        << QList<JobResult>{rangeResult(10, "3", 1), rangeResult(10, "17", 1)} << Outcome::Converted
        << QStringLiteral("3,17");
    QTest::newRow("unread runs that meet at the cut")
        << QList<JobResult>{rangeResult(437, "401-437", 37), rangeResult(63, "438-500", 63)}
        << Outcome::Converted << QStringLiteral("401-500");
    QTest::newRow("an unread range stays a range")
        << QList<JobResult>{rangeResult(10, "7-8", 2), rangeResult(10, "", 0)} << Outcome::Converted
        << QStringLiteral("7-8");
    QTest::newRow("every page unread: damaged, no pages named")
        << QList<JobResult>{rangeResult(2, "1-2", 2), rangeResult(2, "3-4", 2)} << Outcome::Damaged
        << QString();
}

// The ranges of a split file end as the whole file would: one ladder, one page list.
void TestTextCheck::rangesEndAsOneText()
{
    QFETCH(QList<JobResult>, ranges);
    QFETCH(Outcome, outcome);
    QFETCH(QString, unreadPages);
    TestPlace place;
    QStringList texts;
    for (qsizetype i = 0; i < ranges.size(); ++i) {
        texts << place.path(QStringLiteral("range %1.txt").arg(i));
        QFile text(texts.last());
        QVERIFY(text.open(QIODevice::WriteOnly));
        for (int page = 0; page < ranges.at(i).pages; ++page)
            text.write("Words of a page read here\n\f");
    }
    FileOutcome file;
    pageranges::gather(file, ranges);
    pageranges::settleJoined(file, texts.takeFirst(), texts, TextOptions());
    QCOMPARE(outcomeName(file.outcome), outcomeName(outcome));
    QCOMPARE(file.unreadPages, unreadPages);
    QCOMPARE(file.reason.isEmpty(), outcome == Outcome::Converted);
}

void TestTextCheck::pageLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    QTest::newRow("compact") << QStringLiteral("1-4,7") << QStringLiteral("1-4,7");
    QTest::newRow("with blanks, as reports once wrote")
        << QStringLiteral("1-4, 7, 9") << QStringLiteral("1-4,7,9");
    QTest::newRow("out of order, adjacent") << QStringLiteral("5,3,4") << QStringLiteral("3-5");
    QTest::newRow("overlapping runs") << QStringLiteral("2-6,4-9") << QStringLiteral("2-9");
    QTest::newRow("a range of two") << QStringLiteral("7-8") << QStringLiteral("7-8");
    QTest::newRow("what is no page left out")
        << QStringLiteral("2,x,0,9-7,,") << QStringLiteral("2");
}

void TestTextCheck::pageLists()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    QCOMPARE(pagelist::write(pagelist::parse(text)), written);
}

void TestTextCheck::rangesCoverThePagesAsked_data()
{
    QTest::addColumn<int>("firstPage");
    QTest::addColumn<int>("lastPage");
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<int>("ranges");
    QTest::addColumn<QString>("cuts"); // first pages of the ranges, then the last page
    QTest::newRow("every page") << 0 << 0 << 10 << 2 << QStringLiteral("1,6,10");
    QTest::newRow("-l beyond the document")
        << 150 << 230 << 200 << 2 << QStringLiteral("150,175,200");
    QTest::newRow("uneven") << 1 << 7 << 100 << 3 << QStringLiteral("1,3,5,7");
}

void TestTextCheck::rangesCoverThePagesAsked()
{
    QFETCH(int, firstPage);
    QFETCH(int, lastPage);
    QFETCH(int, pageCount);
    QFETCH(int, ranges);
    QFETCH(QString, cuts);
    TextOptions text;
    text.firstPage = firstPage;
    text.lastPage = lastPage;
    const QList<TextOptions::Pages> made = pageranges::split(text, pageCount, ranges);
    QStringList said;
    for (qsizetype i = 0; i < made.size(); ++i) {
        said << QString::number(made.at(i).first);
        if (i > 0)
            QCOMPARE(made.at(i).first, made.at(i - 1).last + 1);
    }
    said << QString::number(made.last().last);
    QCOMPARE(said.join(u','), cuts);
}

QTEST_GUILESS_MAIN(TestTextCheck)
#include "tst_textcheck.moc"
