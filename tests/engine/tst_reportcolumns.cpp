// SPDX-License-Identifier: GPL-3.0-or-later
// The report's one column table: a row written as CSV and as JSON reads back the same, and the
// reports written before the later columns still read.
#include "engine/ReportColumns.h"

#include <QTest>

namespace {

ReportRow fullRow()
{
    return {QStringLiteral("/a/b, \"c\".pdf"),
            QStringLiteral("/t/b.txt"),
            QStringLiteral("ocr-low-confidence"),
            QStringLiteral("OCR read 2 pages"),
            12,
            3725.125, // an hour and its milliseconds, every digit kept
            2,
            61.5,
            QStringLiteral("3,5-7"),
            QStringLiteral("1-2"),
            QStringLiteral("2"),
            QStringLiteral("2049:77:1024:1.5:2.25")};
}

// The fields of one CSV line without its CR LF; no field here holds a line break.
QStringList fieldsOf(const QByteArray &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    const QString text = QString::fromUtf8(line.chopped(2));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'"' && quoted && i + 1 < text.size() && text.at(i + 1) == u'"')
            field += text.at(++i);
        else if (text.at(i) == u'"')
            quoted = !quoted;
        else if (text.at(i) == u',' && !quoted)
            fields << std::exchange(field, QString());
        else
            field += text.at(i);
    }
    return fields << field;
}

QString described(const ReportRow &row)
{
    return QString::fromUtf8(reportrows::csvLine(row));
}

} // namespace

class TestReportColumns : public QObject
{
    Q_OBJECT

private slots:
    void aRowReadsBackAsItWasWritten();
    void olderHeadersStillRead_data();
    void olderHeadersStillRead();
};

void TestReportColumns::aRowReadsBackAsItWasWritten()
{
    const ReportRow row = fullRow();
    QCOMPARE(reportrows::CsvHeader, reportcolumns::names().join(u',').toUtf8() + "\r\n");
    QCOMPARE(reportcolumns::names().constLast(), QStringLiteral("identity"));
    const QStringList fields = fieldsOf(reportrows::csvLine(row));
    QCOMPARE(fields.size(), reportcolumns::all().size());
    QCOMPARE(described(reportcolumns::rowOfFields(fields)), described(row));
    QCOMPARE(described(reportcolumns::rowOfJson(reportcolumns::jsonObject(row))), described(row));
    // No pages and no confidence are null in JSON, and read back as none.
    ReportRow none = row;
    none.pages = -1;
    none.ocrConfidence = -1;
    const QJsonObject object = reportcolumns::jsonObject(none);
    QVERIFY(object.value(QStringLiteral("pages")).isNull());
    QVERIFY(object.value(QStringLiteral("ocr_confidence")).isNull());
    QCOMPARE(described(reportcolumns::rowOfJson(object)), described(none));
}

void TestReportColumns::olderHeadersStillRead_data()
{
    QTest::addColumn<int>("width"); // 0: not a report's header
    QTest::addColumn<QString>("header");
    QTest::newRow("before OCR") << 6 << "path,output,outcome,reason,pages,seconds";
    QTest::newRow("before the unread pages")
        << 8 << "path,output,outcome,reason,pages,seconds,ocr_pages,ocr_confidence";
    QTest::newRow("before the identity") << 11
                                         << "path,output,outcome,reason,pages,seconds,ocr_pages,"
                                            "ocr_confidence,unread_pages,ocr_turned,ocr_deskewed";
    QTest::newRow("today's") << 12 << QString::fromUtf8(reportrows::CsvHeader).trimmed();
    QTest::newRow("a width no report had") << 0 << "path,output,outcome,reason,pages";
    QTest::newRow("columns swapped") << 0 << "output,path,outcome,reason,pages,seconds";
}

void TestReportColumns::olderHeadersStillRead()
{
    QFETCH(int, width);
    QFETCH(QString, header);
    QCOMPARE(reportcolumns::widthOfHeader(header.split(u',')), width);
    if (width == 0)
        return;
    const ReportRow read =
        reportcolumns::rowOfFields(fieldsOf(reportrows::csvLine(fullRow())).mid(0, width));
    QCOMPARE(read.seconds, fullRow().seconds);
    QCOMPARE(read.identity.isEmpty(), width < 12);
    QCOMPARE(read.ocrConfidence, width >= 8 ? 61.5 : -1.0);
}

QTEST_GUILESS_MAIN(TestReportColumns)
#include "tst_reportcolumns.moc"
