// SPDX-License-Identifier: GPL-3.0-or-later
// The child's judgement of one page, which decides whether the page is read by OCR, agrees with
// the engine's text check on the same text, whole and fed in pieces that split characters.
#include "engine/TextJudge.h"
#include "service/PageTextCheck.h"

#include <QTest>

class TestPageTextCheck : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithTheTextCheck_data();
    void agreesWithTheTextCheck();
};

void TestPageTextCheck::agreesWithTheTextCheck_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<bool>("usable");
    QTest::newRow("an empty page") << QByteArray("\f") << false;
    QTest::newRow("line breaks only") << QByteArray("\n\n\f") << false;
    QTest::newRow("five printable") << QByteArray("Hello\n\f") << false;
    QTest::newRow("six printable") << QByteArray("Hello!\f") << true;
    QTest::newRow("six letters of two bytes") << QByteArray("Καλημέ\f") << true;
    QTest::newRow("replacement characters") << QByteArray("\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"
                                                          "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\f")
                                            << false;
    QTest::newRow("private use") << QByteArray("\xee\x80\x80\xee\x80\x80\xee\x80\x80\xee\x80\x80"
                                               "\xee\x80\x80\xee\x80\x80\f")
                                 << false;
    QTest::newRow("bytes that are no UTF-8") << QByteArray("\xff\xfe\xfd\xfc\xfb\xfa\f") << false;
    QTest::newRow("CR LF is a line break") << QByteArray("abc\r\nde\f") << false;
    QTest::newRow("a lone CR is not printable") << QByteArray("abcdef\r") << true;
}

void TestPageTextCheck::agreesWithTheTextCheck()
{
    QFETCH(QByteArray, page);
    QFETCH(bool, usable);
    TextJudge judge;
    judge.feed(page);
    judge.finish();
    QCOMPARE(!judge.hasNoUsableText(), usable);
    QCOMPARE(pagetextcheck::hasUsableText(std::string_view(page.constData(), page.size())), usable);
    // Byte by byte, the counter decides on the same sixth printable character.
    pagetextcheck::Counter counter;
    for (const char byte : page)
        counter.feed(std::string_view(&byte, 1));
    QCOMPARE(counter.decided(), usable);
}

QTEST_GUILESS_MAIN(TestPageTextCheck)
#include "tst_pagetextcheck.moc"
