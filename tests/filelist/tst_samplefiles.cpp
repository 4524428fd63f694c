// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FilePattern.h"
#include "engine/FolderWalk.h"
#include "filelist/SampleFolder.h"
#include "PdfFixtures.h"
#include "TestConfig.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString builtSamples()
{
    return QFileInfo(QStringLiteral(MORWENDA_BINARY)).absolutePath() + QStringLiteral("/Samples");
}

} // namespace

// The sample PDFs the build makes beside the program, read by the real converter: each shows the
// case it stands for.
class TestSampleFiles : public QObject
{
    Q_OBJECT

private slots:
    void samples_data();
    void samples();
    void sampleFolder_data();
    void sampleFolder();
};

void TestSampleFiles::samples_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("textHolds");
    QTest::addColumn<bool>("converts");
    QTest::newRow("two scripts, three pages")
        << "Two scripts - English and Greek.pdf" << QStringList{}
        << QStringList{"a document in two scripts", "Καλημέρα! Αυτή η σελίδα είναι γραμμένη",
                       "ψ ω.\n\n\fBoth scripts on one page", "Ελληνικά: απλό κείμενο"}
        << true;
    QTest::newRow("scanned page") << "Scanned page - no text.pdf" << QStringList{} << QStringList{}
                                  << true;
    QTest::newRow("protected, no password") << "Password protected - the password is morwenda.pdf"
                                            << QStringList{} << QStringList{} << false;
    QTest::newRow("protected, password from the name")
        << "Password protected - the password is morwenda.pdf" << QStringList{"-upw", "morwenda"}
        << QStringList{"This document is protected."} << true;
    QTest::newRow("damaged") << "Damaged - cut off download.pdf" << QStringList{} << QStringList{}
                             << false;
}

void TestSampleFiles::samples()
{
    QFETCH(QString, name);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, textHolds);
    QFETCH(bool, converts);
    const QString pdf = builtSamples() + u'/' + name;
    QVERIFY2(QFileInfo(pdf).isFile(), qPrintable(pdf));
    const QByteArray text = fixtures::convertDirectly(pdf, arguments);
    QCOMPARE(!text.isNull(), converts);
    for (const QString &part : textHolds)
        QVERIFY2(QString::fromUtf8(text).contains(part), qPrintable(part + "\n" + text));
    // A scanned page gives page breaks only: the window names it as a file without usable text.
    if (converts && textHolds.isEmpty())
        QCOMPARE(text, QByteArray("\f"));
    QVERIFY(FolderWalk::listFiles(builtSamples(), FilePattern("*.*")).contains(name));
}

void TestSampleFiles::sampleFolder_data()
{
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("expected");
    QTest::newRow("beside the program")
        << QStringList{"bin/Samples", "share/morwenda/Samples"} << "bin/Samples";
    QTest::newRow("installed beside bin")
        << QStringList{"share/morwenda/Samples"} << "share/morwenda/Samples";
    QTest::newRow("none: beside the program, empty") << QStringList{} << "bin/Samples";
}

void TestSampleFiles::sampleFolder()
{
    QFETCH(QStringList, folders);
    QFETCH(QString, expected);
    QTemporaryDir place;
    QVERIFY(QDir(place.path()).mkpath("bin"));
    for (const QString &folder : folders)
        QVERIFY(QDir(place.path()).mkpath(folder));
    QCOMPARE(::sampleFolder(place.filePath("bin")), place.filePath(expected));
}

QTEST_GUILESS_MAIN(TestSampleFiles)
#include "tst_samplefiles.moc"
