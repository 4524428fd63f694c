// SPDX-License-Identifier: GPL-3.0-or-later
// The pages -f and -l ask for, as pdftotext counts them, for the engine and the service alike.
#include "platform/PageSpan.h"

#include <QTest>

class TestPageSpan : public QObject
{
    Q_OBJECT

private slots:
    void spanAsked_data();
    void spanAsked();
};

void TestPageSpan::spanAsked_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<int>("fromPage");
    QTest::addColumn<int>("toPage");
    QTest::newRow("none asked: every page") << 0 << 0 << 10 << 1 << 10;
    QTest::newRow("a first below 1 is page 1") << -5 << 3 << 10 << 1 << 3;
    QTest::newRow("a range inside") << 2 << 5 << 10 << 2 << 5;
    QTest::newRow("the last page itself") << 10 << 10 << 10 << 10 << 10;
    QTest::newRow("a last beyond the document") << 2 << 11 << 10 << 2 << 10;
    QTest::newRow("a last below 1 is the last page") << 3 << -1 << 10 << 3 << 10;
    QTest::newRow("first after last holds none") << 8 << 3 << 10 << 8 << 3;
    QTest::newRow("a first beyond the document holds none") << 12 << 0 << 10 << 12 << 10;
    QTest::newRow("a document without pages") << 1 << 0 << 0 << 1 << 0;
}

void TestPageSpan::spanAsked()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, pageCount);
    QFETCH(int, fromPage);
    QFETCH(int, toPage);
    const PageSpan span = PageSpan::asked(first, last, pageCount);
    QCOMPARE(span.first, fromPage);
    QCOMPARE(span.last, toPage);
    QCOMPARE(PageSpan::firstAsked(first), fromPage);
}

QTEST_APPLESS_MAIN(TestPageSpan)
#include "tst_pagespan.moc"
