// SPDX-License-Identifier: GPL-3.0-or-later
// morwenda-batch's command line as read: pdftotext's spellings beside GNU's, pdftotext's form
// FILE.pdf OUT.txt, the refusals that name the nearest option, and the manual page and the shell's
// completion held to the options --help lists.
#include "cli/BatchOptions.h"
#include "engine/ConverterChoice.h"
#include "engine/TextOptions.h"
#include "TestConfig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

ParsedCommandLine parsed(const QString &arguments)
{
    return batchoptions::parse(QStringList{QStringLiteral("/usr/local/bin/morwenda-batch")} +
                               arguments.split(u' ', Qt::SkipEmptyParts));
}

// What a test row expects of the options, in a few words.
QString described(const BatchOptions &options)
{
    QStringList words{QStringLiteral("paths=") + options.paths.join(u',')};
    if (!options.textFile.isEmpty())
        words << QStringLiteral("text=") + options.textFile;
    if (options.toStdout)
        words << QStringLiteral("stdout");
    if (!options.outFolder.isEmpty())
        words << QStringLiteral("out=") + options.outFolder;
    const TextOptions &text = options.text;
    if (text.mode != TextOptions::Mode::Reading)
        words << textoptions::modeName(text.mode);
    if (text.firstPage > 0 || text.lastPage > 0)
        words << QStringLiteral("pages=%1-%2").arg(text.firstPage).arg(text.lastPage);
    if (text.encoding != TextOptions::DefaultEncoding)
        words << QStringLiteral("enc=") + text.encoding;
    if (text.endOfLine != TextOptions::EndOfLine::Unix)
        words << QStringLiteral("eol=") + textoptions::endOfLineName(text.endOfLine);
    if (!text.pageBreaks)
        words << QStringLiteral("nopgbrk");
    // The output form and the page's geometry, as pdftotext's arguments.
    const TextOptions plain;
    TextOptions geometry = text;
    geometry.mode = plain.mode;
    geometry.encoding = plain.encoding;
    geometry.endOfLine = plain.endOfLine;
    geometry.pageBreaks = plain.pageBreaks;
    geometry.firstPage = geometry.lastPage = 0;
    words << textoptions::pdftotextArguments(geometry);
    if (options.quiet)
        words << QStringLiteral("quiet");
    if (options.jobs != 0)
        words << QStringLiteral("jobs=%1").arg(options.jobs);
    if (options.extension != u"pdf")
        words << QStringLiteral("ext=") + options.extension;
    if (!options.passwords.isEmpty())
        words << QStringLiteral("passwords=") + options.passwords.join(u',');
    return words.join(u' ');
}

QSet<QString> setOf(const QStringList &list)
{
    return QSet<QString>(list.cbegin(), list.cend());
}

// "" when `listed` names the same as `expected`; else what it lacks and what it has besides.
QString differences(const QStringList &listed, const QStringList &expected)
{
    QStringList lacking = (setOf(expected) - setOf(listed)).values();
    QStringList besides = (setOf(listed) - setOf(expected)).values();
    lacking.sort();
    besides.sort();
    if (lacking.isEmpty() && besides.isEmpty())
        return QString();
    return QStringLiteral("lacks: %1; has besides: %2").arg(lacking.join(u' '), besides.join(u' '));
}

// The option spellings of the lines that head the manual page's OPTIONS entries.
QStringList manualSpellings()
{
    QFile page(QStringLiteral(MORWENDA_SOURCE_DIR "/packaging/morwenda-batch.1.in"));
    if (!page.open(QIODevice::ReadOnly))
        return {QStringLiteral("(the manual page cannot be read)")};
    const QString text = QString::fromUtf8(page.readAll());
    const QStringList lines = text.section(QStringLiteral(".SH OPTIONS\n"), 1)
                                  .section(QStringLiteral("\n.SH "), 0, 0)
                                  .split(u'\n');
    static const QRegularExpression fonts(QStringLiteral(R"(\\f[BIRP])"));
    static const QRegularExpression spelling(QStringLiteral(R"((?:^|[\s,])(--?[A-Za-z][\w-]*))"));
    QStringList spellings;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines.at(i - 1) != QStringLiteral(".TP"))
            continue;
        const QString heading =
            QString(lines.at(i)).remove(fonts).replace(QStringLiteral("\\-"), QStringLiteral("-"));
        for (const QRegularExpressionMatch &match : spelling.globalMatch(heading))
            spellings << match.captured(1);
    }
    return spellings;
}

// What bash offers for the last word of `line` with morwenda-batch's completion; nullopt when
// bash's completion functions are not installed.
std::optional<QStringList> completed(const QString &line, const QString &folder = QString())
{
    const QString functions = QStringLiteral("/usr/share/bash-completion/bash_completion");
    if (!QFile::exists(functions))
        return std::nullopt;
    QProcess bash;
    bash.setWorkingDirectory(folder);
    bash.start(QStringLiteral("bash"),
               {QStringLiteral("-c"), QStringLiteral(R"(source "$1"; source "$2"; line=$3
                    read -ra COMP_WORDS <<<"$line"
                    [[ $line == *' ' ]] && COMP_WORDS+=('')
                    COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMP_LINE=$line COMP_POINT=${#line}
                    _morwenda_batch morwenda-batch "${COMP_WORDS[COMP_CWORD]}" \
                        "${COMP_WORDS[COMP_CWORD - 1]}"
                    printf '%s\n' "${COMPREPLY[@]}")"),
                QStringLiteral("bash"), functions,
                QStringLiteral(MORWENDA_SOURCE_DIR "/src/cli/morwenda-batch.bash-completion"),
                line});
    bash.waitForFinished();
    if (bash.exitCode() != 0)
        qWarning("bash: %s", bash.readAllStandardError().constData());
    return QString::fromUtf8(bash.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestBatchOptions : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void refused_data();
    void refused();
    void aFileNamedLikeOptionsIsNoOption();
    void passwordsOnTheCommandLineAreWarnedOf();
    void helpNamesTheProgramAndEverySpelling();
    void manualAndCompletionNameEveryOption();
    void completionCompletesValues_data();
    void completionCompletesValues();
    void completionGivesFileNamesAfterTheEnd();
    void pdftotextsInformation_data();
    void pdftotextsInformation();
};

void TestBatchOptions::read_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("expected");

    QTest::newRow("pdftotext's spellings of the text")
        << "-layout -f 2 -l 3 -enc latin1 -eol dos -nopgbrk -q a.pdf"
        << "paths=a.pdf layout pages=2-3 enc=Latin1 eol=dos nopgbrk quiet";
    QTest::newRow("page 0: no limit, as pdftotext") << "-f 0 -l 0 a.pdf"
                                                    << "paths=a.pdf";
    QTest::newRow("raw") << "-raw a.pdf"
                         << "paths=a.pdf raw";
    QTest::newRow("GNU's short options still group") << "-qj2 -f2 a.pdf"
                                                     << "paths=a.pdf pages=2-0 quiet jobs=2";
    QTest::newRow("0 converters: one per processor") << "-j 0 a.pdf"
                                                     << "paths=a.pdf";
    QTest::newRow("the largest page and converter numbers")
        << "-f 2147483647 -j 2147483647 a.pdf"
        << "paths=a.pdf pages=2147483647-0 jobs=2147483647";
    QTest::newRow("an extension written as a pattern") << "--extension *.PDF a.pdf"
                                                       << "paths=a.pdf ext=PDF";
    QTest::newRow("a value spelled like an option is a value") << "-o -layout a.pdf"
                                                               << "paths=a.pdf out=-layout";
    QTest::newRow("after -- a spelling is a path") << "-- -layout a.pdf"
                                                   << "paths=-layout,a.pdf";
    QTest::newRow("FILE.pdf OUT.txt") << "-layout a.pdf out.txt"
                                      << "paths=a.pdf text=out.txt layout";
    QTest::newRow("FILE.pdf - writes to standard output") << "a.pdf -"
                                                          << "paths=a.pdf stdout";
    QTest::newRow("standard input into a text file") << "- Out.TXT"
                                                     << "paths=- text=Out.TXT";
    QTest::newRow("two PDFs") << "a.pdf b.pdf"
                              << "paths=a.pdf,b.pdf";
    QTest::newRow("a folder and a file are two paths") << ". notes.txt"
                                                       << "paths=.,notes.txt";
    QTest::newRow("a place chosen: two paths") << "--beside a.pdf b.txt"
                                               << "paths=a.pdf,b.txt";
    QTest::newRow("three operands are paths") << "a.pdf b.pdf c.txt"
                                              << "paths=a.pdf,b.pdf,c.txt";
    QTest::newRow("the owner's password first") << "-upw open -opw boss a.pdf"
                                                << "paths=a.pdf passwords=boss,open";
    QTest::newRow("pdftotext's spellings of the forms and the geometry")
        << "-tsv -r 150 -x 10 -y -20 -W 300 -H 0 -nodiag -cropbox -colspacing 0.3 a.pdf"
        << "paths=a.pdf -tsv -r 150 -x 10 -y -20 -W 300 -nodiag -cropbox -colspacing 0.3";
    QTest::newRow("GNU's long forms")
        << "--bbox-layout --resolution=96 --crop 0,0,100,50 --no-diagonal --column-spacing 0 a.pdf"
        << "paths=a.pdf -bbox-layout -r 96 -W 100 -H 50 -nodiag -colspacing 0";
    QTest::newRow("-fixed keeps the layout") << "-fixed 2.5 a.pdf"
                                             << "paths=a.pdf layout -fixed 2.5";
    QTest::newRow("-htmlmeta with -bbox is -bbox, as pdftotext") << "-htmlmeta -bbox a.pdf"
                                                                 << "paths=a.pdf -bbox";
    QTest::newRow("-htmlmeta into OUT.html") << "-htmlmeta a.pdf out.html"
                                             << "paths=a.pdf text=out.html -htmlmeta";
    QTest::newRow("-r groups as a GNU short option") << "-qr5 a.pdf"
                                                     << "paths=a.pdf -r 5 quiet";
}

void TestBatchOptions::read()
{
    QFETCH(QString, arguments);
    QFETCH(QString, expected);
    const ParsedCommandLine read = parsed(arguments);
    QVERIFY2(read.options, qPrintable(read.text));
    QCOMPARE(described(*read.options), expected);
}

void TestBatchOptions::refused_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("said");

    QTest::newRow("a word pdftotext does not have")
        << "-nopagebreak a.pdf"
        << "Unknown option '-nopagebreak'. Did you mean --no-page-breaks?";
    QTest::newRow("a typo in pdftotext's word")
        << "-nopgbrc a.pdf"
        << "Unknown option '-nopgbrc'. Did you mean -nopgbrk?";
    QTest::newRow("a typo that groups as -l VALUE")
        << "-layuot a.pdf"
        << "Unknown option '-layuot'. Did you mean -layout?";
    QTest::newRow("a typo that groups as -e VALUE") << "-ecn UTF-8 a.pdf"
                                                    << "Did you mean -enc?";
    QTest::newRow("a typo in a long option") << "--layot a.pdf"
                                             << "Did you mean --layout?";
    QTest::newRow("a long option with one dash") << "-quiet a.pdf"
                                                 << "Did you mean --quiet?";
    QTest::newRow("the beginning of a long option") << "--ocr-lang eng a.pdf"
                                                    << "Did you mean --ocr-languages?";
    QTest::newRow("nothing near") << "--fast a.pdf"
                                  << "Unknown option '--fast'.\nTry 'morwenda-batch --help'";
    QTest::newRow("a letter in a group") << "-qz a.pdf"
                                         << "Unknown option '-qz'.";
    QTest::newRow("a resolution of 0")
        << "-r 0 a.pdf"
        << "--resolution needs a number above 0 (dots per inch), not '0'";
    QTest::newRow("a resolution that is no number") << "--resolution nan a.pdf"
                                                    << "--resolution needs a number above 0";
    QTest::newRow("a negative column spacing")
        << "-colspacing -0.5 a.pdf"
        << "--column-spacing needs a number of 0 or more (font sizes), not '-0.5'";
    QTest::newRow("a negative crop width")
        << "-W -1 a.pdf"
        << "--crop-width needs a whole number of 0 or more, not '-1'";
    QTest::newRow("a crop of three numbers") << "--crop 1,2,3 a.pdf"
                                             << "--crop needs four whole numbers X,Y,W,H";
    QTest::newRow("a crop with a negative height") << "--crop 1,2,3,-4 a.pdf"
                                                   << "--crop needs four whole numbers X,Y,W,H";
    QTest::newRow("a crop given twice") << "--crop 1,2,3,4 -y 2 a.pdf"
                                        << "--crop and --crop-x, --crop-y";
    QTest::newRow("a negative pitch") << "-fixed -2 a.pdf"
                                      << "--fixed needs a number of 0 or more (points), not '-2'";
    QTest::newRow("a pitch in raw order") << "-fixed 3 -raw a.pdf"
                                          << "--fixed and --raw exclude each other";
    QTest::newRow("TSV and bbox") << "-tsv -bbox a.pdf"
                                  << "--tsv and --bbox exclude each other";
    QTest::newRow("bbox-layout and TSV") << "-bbox-layout -tsv a.pdf"
                                         << "--tsv and --bbox-layout exclude each other";
    QTest::newRow("bbox and bbox-layout") << "--bbox --bbox-layout a.pdf"
                                          << "--bbox and --bbox-layout exclude each other";
    QTest::newRow("TSV in HTML") << "-htmlmeta -tsv a.pdf"
                                 << "--html-meta and --tsv exclude each other";
    QTest::newRow("fewer than 0 converters")
        << "-j -1 a.pdf"
        << "--jobs needs a whole number from 0 to 2147483647, not '-1'";
    QTest::newRow("an option's control characters escaped")
        << "--a\x1b[31m\x07\nb a.pdf"
        << "Unknown option '--a\\x1B[31m\\x07\\x0Ab'.\nTry";
    QTest::newRow("a value's control characters escaped")
        << "-j \x1b\t a.pdf"
        << "not '\\x1B\\x09'\nTry";
    QTest::newRow("standard input for a list and the passwords")
        << "--files-from - --password-file - a.pdf"
        << "standard input ('-') can serve one path, list or password file only";
    QTest::newRow("standard input with nowhere to go")
        << "- b.pdf"
        << "a PDF on standard input ('-') needs --out DIR, -o - or a text file";
}

void TestBatchOptions::refused()
{
    QFETCH(QString, arguments);
    QFETCH(QString, said);
    const ParsedCommandLine read = parsed(arguments);
    QVERIFY(!read.options);
    QCOMPARE(read.exitStatus, batchoptions::UsageError);
    QVERIFY2(read.text.contains(said), qPrintable(read.text));
    QVERIFY2(read.text.endsWith(batchoptions::TryHelp + u'\n'), qPrintable(read.text));
}

// "-leading-dash.pdf" is no group of options -l eading-dash.pdf when such a file is there.
void TestBatchOptions::aFileNamedLikeOptionsIsNoOption()
{
    QTemporaryDir folder;
    QVERIFY(QFile(folder.filePath(QStringLiteral("-leading-dash.pdf"))).open(QIODevice::WriteOnly));
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path());
    const ParsedCommandLine read = parsed(QStringLiteral("-leading-dash.pdf"));
    QDir::setCurrent(before);
    QVERIFY2(read.text.contains(QStringLiteral("'-leading-dash.pdf' would be read as options; a "
                                               "file of that name is given as "
                                               "./-leading-dash.pdf or after --.")),
             qPrintable(read.text));
    QCOMPARE(read.exitStatus, batchoptions::UsageError);
}

void TestBatchOptions::passwordsOnTheCommandLineAreWarnedOf()
{
    QVERIFY(parsed(QStringLiteral("a.pdf")).warning.isEmpty());
    const QString warning = parsed(QStringLiteral("-opw boss a.pdf")).warning;
    QVERIFY2(warning.contains(QStringLiteral("every user of this machine can read a password on "
                                             "the command line")) &&
                 warning.contains(QStringLiteral("--password-file")),
             qPrintable(warning));
}

void TestBatchOptions::helpNamesTheProgramAndEverySpelling()
{
    const ParsedCommandLine help = parsed(QStringLiteral("--help"));
    QCOMPARE(help.exitStatus, 0);
    QVERIFY2(help.text.startsWith(QStringLiteral("Usage: morwenda-batch [options] PATH...\n"
                                                 "       morwenda-batch [options] FILE.pdf "
                                                 "[OUT.txt | -]\n")),
             qPrintable(help.text));
    for (const QString &spelling : batchoptions::optionSpellings())
        QVERIFY2(help.text.contains(QRegularExpression(
                     QStringLiteral("(^|[ ,])%1[ ,\n]").arg(QRegularExpression::escape(spelling)))),
                 qPrintable(spelling));
    QCOMPARE(parsed(QStringLiteral("-v")).text,
             QStringLiteral("morwenda-batch %1\n").arg(QCoreApplication::applicationVersion()));
}

void TestBatchOptions::manualAndCompletionNameEveryOption()
{
    const QStringList options = batchoptions::optionSpellings();
    const QString manual = differences(manualSpellings(), options);
    QVERIFY2(manual.isEmpty(), qPrintable(QStringLiteral("the manual page ") + manual));
    const std::optional<QStringList> offered = completed(QStringLiteral("morwenda-batch -"));
    if (!offered)
        QSKIP("bash-completion is not installed");
    const QString completion = differences(*offered, options);
    QVERIFY2(completion.isEmpty(), qPrintable(QStringLiteral("the completion ") + completion));
}

void TestBatchOptions::completionCompletesValues_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("values");

    QTest::newRow("--ocr") << "morwenda-batch --ocr " << QStringList{"off", "auto", "always"};
    QTest::newRow("--converter") << "morwenda-batch --converter " << converterchoice::names();
    for (const char *eol : {"--eol", "-eol"})
        QTest::addRow("%s", eol) << QStringLiteral("morwenda-batch %1 ").arg(eol)
                                 << QStringList{"unix", "dos", "mac"};
    for (const char *encoding : {"--encoding", "-enc"})
        QTest::addRow("%s", encoding)
            << QStringLiteral("morwenda-batch %1 ").arg(encoding) << textoptions::encodingNames();
    const QStringList installed = OcrChoice::installedLanguages();
    QTest::newRow("--ocr-languages") << "morwenda-batch --ocr-languages " << installed;
    QStringList second;
    for (const QString &language : installed)
        second << QStringLiteral("eng+") + language;
    QTest::newRow("a second language") << "morwenda-batch --ocr-languages eng+" << second;
    // --opt=VALUE, the form --help shows
    QTest::newRow("--ocr=") << "morwenda-batch --ocr=a" << QStringList{"auto", "always"};
    QTest::newRow("--eol=") << "morwenda-batch --eol=" << QStringList{"unix", "dos", "mac"};
    QTest::newRow("--encoding=") << "morwenda-batch --encoding=" << textoptions::encodingNames();
    QTest::newRow("--ocr-languages=eng+") << "morwenda-batch --ocr-languages=eng+" << second;
}

void TestBatchOptions::completionCompletesValues()
{
    QFETCH(QString, line);
    QFETCH(QStringList, values);
    const std::optional<QStringList> offered = completed(line);
    if (!offered)
        QSKIP("bash-completion is not installed");
    const QString difference = differences(*offered, values);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

// After --, a word that begins with a dash is a file's name, not an option.
void TestBatchOptions::completionGivesFileNamesAfterTheEnd()
{
    QTemporaryDir folder;
    for (const char *name : {"-a.pdf", "b.pdf"})
        QVERIFY(QFile(folder.filePath(QLatin1String(name))).open(QIODevice::WriteOnly));
    const std::optional<QStringList> offered =
        completed(QStringLiteral("morwenda-batch -q -- -"), folder.path());
    if (!offered)
        QSKIP("bash-completion is not installed");
    QCOMPARE(*offered, QStringList{QStringLiteral("-a.pdf")});
    QCOMPARE(completed(QStringLiteral("morwenda-batch -- b.pdf "), folder.path())->size(), 2);
}

// pdftotext's -help, -? and -listenc print and end the program with status 0, whatever follows.
void TestBatchOptions::pdftotextsInformation_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("printed");
    const QString help = parsed(QStringLiteral("--help")).text;
    QTest::newRow("-help") << "-help" << help;
    QTest::newRow("-?") << "-? a.pdf" << help;
    QTest::newRow("-listenc") << "-listenc a.pdf"
                              << "Available encodings are:\n" +
                                     textoptions::encodingNames().join(u'\n') + u'\n';
}

void TestBatchOptions::pdftotextsInformation()
{
    QFETCH(QString, arguments);
    QFETCH(QString, printed);
    const ParsedCommandLine read = parsed(arguments);
    QCOMPARE(read.exitStatus, 0);
    QVERIFY(!read.options);
    QCOMPARE(read.text, printed);
}

QTEST_GUILESS_MAIN(TestBatchOptions)

#include "tst_batchoptions.moc"
