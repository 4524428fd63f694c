// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Failure.h"
#include "platform/PathRules.h"

#include <QTest>

using paths::Style;

class TestPathRules : public QObject
{
    Q_OBJECT

private slots:
    void removeDoubleBackslashes_data();
    void removeDoubleBackslashes();
    void fileAndFolder_data();
    void fileAndFolder();
    void stripExtension_data();
    void stripExtension();
    void stripExtensionWithoutDotFails();
    void outputFileName_data();
    void outputFileName();
};

void TestPathRules::removeDoubleBackslashes_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    const int win = int(Style::Windows);
    const int posix = int(Style::Posix);
    QTest::newRow("doubled separators collapse") << win << R"(C:\\a\\b.pdf)"
                                                 << R"(C:\a\b.pdf)";
    QTest::newRow("a run of three becomes two") << win << R"(C:\\\a)"
                                                << R"(C:\\a)";
    QTest::newRow("a run of four becomes two") << win << R"(C:\\\\a)"
                                               << R"(C:\\a)";
    QTest::newRow("network path unchanged") << win << R"(\\server\share)"
                                            << R"(\\server\share)";
    QTest::newRow("leading run becomes the network pair") << win << R"(\\\server\\share)"
                                                          << R"(\\server\share)";
    QTest::newRow("one leading separator becomes two") << win << R"(\x)"
                                                       << R"(\\x)";
    QTest::newRow("separators only") << win << R"(\\\\\)"
                                     << R"(\\)";
    QTest::newRow("drive root plus name") << win << R"(C:\\a.pdf)"
                                          << R"(C:\a.pdf)";
    QTest::newRow("empty") << win << ""
                           << "";
    QTest::newRow("posix root path stays") << posix << "/home"
                                           << "/home";
    QTest::newRow("posix leading run collapses to one") << posix << "///home//a.pdf"
                                                        << "/home/a.pdf";
    QTest::newRow("posix root plus name") << posix << "//a.pdf"
                                          << "/a.pdf";
    QTest::newRow("posix run of three inside") << posix << "/a///b"
                                               << "/a//b";
    QTest::newRow("posix backslash is an ordinary letter") << posix << R"(/a\\b)"
                                                           << R"(/a\\b)";
}

void TestPathRules::removeDoubleBackslashes()
{
    QFETCH(int, style);
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(paths::removeDoubleBackslashes(path, Style(style)), expected);
}

void TestPathRules::fileAndFolder_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("folder");
    const int win = int(Style::Windows);
    const int posix = int(Style::Posix);
    QTest::newRow("windows file") << win << R"(C:\docs\a.pdf)"
                                  << "a.pdf"
                                  << R"(C:\docs\)";
    QTest::newRow("windows bare name") << win << "a.pdf"
                                       << "a.pdf"
                                       << "";
    QTest::newRow("windows trailing separator") << win << R"(C:\docs\)"
                                                << ""
                                                << R"(C:\docs\)";
    QTest::newRow("posix file") << posix << "/home/u/a b.pdf"
                                << "a b.pdf"
                                << "/home/u/";
    QTest::newRow("posix root file") << posix << "/a.pdf"
                                     << "a.pdf"
                                     << "/";
    QTest::newRow("posix bare name") << posix << "a.pdf"
                                     << "a.pdf"
                                     << "";
}

void TestPathRules::fileAndFolder()
{
    QFETCH(int, style);
    QFETCH(QString, path);
    QFETCH(QString, fileName);
    QFETCH(QString, folder);
    QCOMPARE(paths::getFileName(path, Style(style)), fileName);
    QCOMPARE(paths::getFolderPath(path, Style(style)), folder);
}

void TestPathRules::stripExtension_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QTest::newRow("last dot only") << R"(C:\docs\report.final.pdf)"
                                   << R"(C:\docs\report.final)";
    QTest::newRow("dot in a folder counts") << "/home/v1.2/readme"
                                            << "/home/v1";
    QTest::newRow("name that is an extension") << "/x/.pdf"
                                               << "/x/";
}

void TestPathRules::stripExtension()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(paths::stripExtension(path), expected);
}

void TestPathRules::stripExtensionWithoutDotFails()
{
    QVERIFY_THROWS_EXCEPTION(Failure, paths::stripExtension(QStringLiteral("/home/readme")));
}

void TestPathRules::outputFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("pdf") << "a.pdf"
                         << "a.txt";
    QTest::newRow("upper case extension") << "a.PDF"
                                          << "a.txt";
    QTest::newRow("several dots") << "report.final.pdf"
                                  << "report.final.txt";
    QTest::newRow("three parts") << "a.b.c.pdf"
                                 << "a.b.c.txt";
    QTest::newRow("only an extension") << ".pdf"
                                       << ".txt";
    QTest::newRow("no dot appends") << "README"
                                    << "README.txt";
    QTest::newRow("other extension") << "notes.text"
                                     << "notes.txt";
    QTest::newRow("the TSV form") << "a.b.pdf"
                                  << "a.b.tsv";
    QTest::newRow("an HTML form, no dot") << "README"
                                          << "README.html";
}

void TestPathRules::outputFileName()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(paths::outputFileName(name, expected.section(u'.', -1)), expected);
}

QTEST_APPLESS_MAIN(TestPathRules)
#include "tst_pathrules.moc"
