#include "convert/TextCheck.h"
#include "TestPlace.h"

#include <QDir>
#include <QFile>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

struct Report
{
    QString tag;
    int line;
    QString description;
};

QString writeBytes(const TestPlace &place, const QByteArray &bytes)
{
    const QString path = place.path(QStringLiteral("text.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray utf8(const char16_t *text)
{
    return QString::fromUtf16(text).toUtf8();
}

QByteArray repeated(const QByteArray &piece, qsizetype times)
{
    return piece.repeated(times);
}

} // namespace

class TestTextCheck : public QObject
{
    Q_OBJECT

private slots:
    void noTextPDF_data();
    void noTextPDF();
    void readLines_data();
    void readLines();
    void unreadableFileIsReportedOnce_data();
    void unreadableFileIsReportedOnce();
};

void TestTextCheck::noTextPDF_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("noText");

    QTest::newRow("three page breaks") << QByteArray("\f\f\f") << true;
    QTest::newRow("Page and a page break") << QByteArray("Page\f") << true;
    QTest::newRow("Page 1 and a page break: six printable") << QByteArray("Page 1\f") << false;
    QTest::newRow("Hello alone: nothing non-printable") << QByteArray("Hello") << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("tab line, then ten letters") << QByteArray("\t\nabcdefghij") << false;
    QTest::newRow("line breaks count neither way") << QByteArray("ab\n\r\ncd\n") << false;
    QTest::newRow("a CR without LF is not a line break") << QByteArray("ab\rcd") << true;
    QTest::newRow("a CR at the very end") << QByteArray("abc\r") << true;
    QTest::newRow("page breaks of many pages, with line ends") << repeated("\f\n", 500) << true;
    QTest::newRow("text after many page breaks") << repeated("\f", 5000) + "Report" << false;
    QTest::newRow("Latin-1 letters count") << utf8(u"éàüßñ\u00a0\f") << false;
    QTest::newRow("127 to 159 do not count") << utf8(u"ab\u007f\u0085\u009fcd") << true;
    QTest::newRow("Greek") << utf8(u"Καλημέρα κόσμε\f") << false;
    QTest::newRow("Cyrillic") << utf8(u"Привет мир\f") << false;
    QTest::newRow("Arabic") << utf8(u"مرحبا بالعالم\f") << false;
    QTest::newRow("Chinese") << utf8(u"你好世界文本\f") << false;
    QTest::newRow("Japanese") << utf8(u"日本語のテキスト\f") << false;
    QTest::newRow("five CJK letters and a page break") << utf8(u"日本語文字\f") << true;
    QTest::newRow("ideographic space counts") << utf8(u"文字\u3000文字文\f") << false;
    QTest::newRow("combining marks count") << utf8(u"e\u0301e\u0301e\u0301\f") << false;
    QTest::newRow("three characters beyond 16 bits are three, not six")
        << utf8(u"\U0001F600\U0001D400\U00020000\f") << true;
    QTest::newRow("six characters beyond 16 bits")
        << utf8(u"\U0001F600\U0001D400\U00020000\U0001F600\U0001D400\U00020000\f") << false;
    QTest::newRow("replacement characters do not count")
        << utf8(u"\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd\f") << true;
    QTest::newRow("bytes that are not UTF-8 do not count")
        << QByteArray("\xff\xfe\xff\xfe\xff\xfe\xff\xfe\f") << true;
    QTest::newRow("private-use characters do not count")
        << utf8(u"\ue000\ue001\ue002\ue003\ue004\ue005\ue006") << true;
    QTest::newRow("format characters do not count") << utf8(u"ab\u200b\u200b\u200bcd") << true;
    QTest::newRow("line separators do not count") << utf8(u"ab\u2028\u2029cd") << true;
    QTest::newRow("an unfinished sequence at the end") << QByteArray("abc\xe6\x97") << true;

    // The file is read in pieces: what lies across the border of two pieces.
    const qsizetype piece = TextReadChunkBytes;
    QTest::newRow("a letter split between two pieces counts once")
        << repeated("\n", piece - 1) + utf8(u"日本語文字文") << false;
    QTest::newRow("a character beyond 16 bits split between two pieces counts once")
        << repeated("\n", piece - 2) +
               utf8(u"\U0001F600\U0001F601\U0001F602\U0001F603\U0001F604\U0001F605")
        << false;
    QTest::newRow("CR LF split between two pieces")
        << QByteArray("ab") + repeated("\n", piece - 3) + "\r\ncd" << false;
    QTest::newRow("a CR at the end of a piece, a letter after it")
        << QByteArray("ab") + repeated("\n", piece - 3) + "\rcd" << true;
}

void TestTextCheck::noTextPDF()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, noText);
    TestPlace place;
    const QString path = writeBytes(place, bytes);
    int reports = 0;
    QCOMPARE(NoTextPDF(path, [&](const QString &, int, const QString &) { ++reports; }), noText);
    QCOMPARE(reports, 0);
}

void TestTextCheck::readLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");

    const auto L = [](std::initializer_list<const char16_t *> texts) {
        QStringList list;
        for (const char16_t *text : texts)
            list.append(QString::fromUtf16(text));
        return list;
    };
    QTest::newRow("empty file: no lines") << QByteArray() << QStringList();
    QTest::newRow("one line without LF") << QByteArray("Hello") << L({u"Hello"});
    QTest::newRow("LF ends a line") << QByteArray("a\nb\n") << L({u"a", u"b"});
    QTest::newRow("CR LF ends a line") << QByteArray("a\r\nb\r\n") << L({u"a", u"b"});
    QTest::newRow("a lone LF is an empty line") << QByteArray("\n") << L({u""});
    QTest::newRow("empty lines are kept") << QByteArray("a\n\n\nb") << L({u"a", u"", u"", u"b"});
    QTest::newRow("a CR without LF stays in the line") << QByteArray("a\rb\r") << L({u"a\rb\r"});
    QTest::newRow("page breaks stay in the line")
        << QByteArray("page one\n\fpage two\n\f") << L({u"page one", u"\fpage two", u"\f"});
    QTest::newRow("UTF-8 text") << utf8(u"Grüße\r\n日本語\n") << L({u"Grüße", u"日本語"});
    QTest::newRow("bytes that are not UTF-8") << QByteArray("a\xff") << L({u"a\ufffd"});

    const qsizetype piece = TextReadChunkBytes;
    QTest::newRow("CR LF split between two pieces")
        << repeated("x", piece - 1) + "\r\ny"
        << QStringList{QString(piece - 1, u'x'), QStringLiteral("y")};
    QTest::newRow("a letter split between two pieces")
        << repeated("x", piece - 1) + utf8(u"語\n")
        << QStringList{QString(piece - 1, u'x') + QStringLiteral("語")};
    QTest::newRow("a line longer than three pieces")
        << repeated("y", 3 * piece + 5) + "\nz"
        << QStringList{QString(3 * piece + 5, u'y'), QStringLiteral("z")};
}

void TestTextCheck::readLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    TestPlace place;
    const QString path = writeBytes(place, bytes);
    int reports = 0;
    QCOMPARE(
        ReadFileToStringFSOLine(path, [&](const QString &, int, const QString &) { ++reports; }),
        lines);
    QCOMPARE(reports, 0);
}

void TestTextCheck::unreadableFileIsReportedOnce_data()
{
    QTest::addColumn<bool>("folder"); // a folder in place of the file, else a file without rights
    QTest::newRow("a folder") << true;
    QTest::newRow("no permission to read") << false;
}

void TestTextCheck::unreadableFileIsReportedOnce()
{
    QFETCH(bool, folder);
    TestPlace place;
    QString path;
    if (folder) {
        path = place.path(QStringLiteral("folder.txt"));
        QVERIFY(QDir().mkpath(path));
    } else {
#ifdef Q_OS_UNIX
        if (geteuid() == 0)
            QSKIP("the superuser reads any file");
#endif
        path = writeBytes(place, "\f\f");
        QVERIFY(QFile::setPermissions(path, {}));
    }

    QList<Report> reports;
    const ReportFn collect = [&](const QString &tag, int line, const QString &description) {
        reports.append({tag, line, description});
    };
    QCOMPARE(NoTextPDF(path, collect), false);
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.at(0).tag, tags::NoTextPDF);
    QVERIFY(!reports.at(0).description.isEmpty());

    reports.clear();
    QCOMPARE(ReadFileToStringFSOLine(path, collect), QStringList());
    QCOMPARE(reports.size(), 1);
    QCOMPARE(reports.at(0).tag, tags::ReadLines);
    QCOMPARE(reports.at(0).line, 100);
}

QTEST_GUILESS_MAIN(TestTextCheck)
#include "tst_textcheck.moc"
