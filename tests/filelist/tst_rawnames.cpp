// SPDX-License-Identifier: GPL-3.0-or-later
// Names that are not UTF-8 in the window: from a drop, the add-files dialog and the command line
// into the list without loss, shown with U+FFFD, and converted by either converter into texts of
// the same bytes.
#include "app/CommandLine.h"
#include "BatchFixture.h"
#include "engine/ConverterChoice.h"
#include "ListTesting.h"
#include "platform/SettingKeys.h"
#include "RawNames.h"

#include <QMimeData>
#include <QUrl>

namespace {

// A drag's list of addresses as a file manager writes it: each name's bytes percent-encoded.
QByteArray uriList(const QStringList &paths)
{
    QByteArray list;
    for (const QString &path : paths)
        list += "file://" + nativepath::encode(path).toPercentEncoding("/") + "\r\n";
    return list;
}

} // namespace

class TestRawNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_pdfs = std::make_unique<MadePdfs>(m_dir.filePath(QStringLiteral("in")));
    }

    void codecKeepsEveryByte()
    {
        QByteArray all;
        for (int byte = 1; byte < 256; ++byte)
            all.append(char(byte));
        const QByteArray samples[] = {all,           "caf\xc3\xa9",      "\xed\xa0\x80 surrogate",
                                      "\xc0\xaf",    "\xf4\x90\x80\x80", "\xf0\x9f\x98\x80 ok",
                                      "cut \xe2\x82"};
        for (const QByteArray &bytes : samples)
            QCOMPARE(nativepath::encode(nativepath::decode(bytes)), bytes);
        QCOMPARE(nativepath::decode(QByteArray("caf\xc3\xa9")), QStringLiteral("caf\u00e9"));
        QCOMPARE(nativepath::display(nativepath::decode(QByteArray("caf\xe9 \xf0\x9f\x98\x80"))),
                 QStringLiteral("caf\uFFFD \U0001F600"));
        // A lone surrogate that stands for no byte (typed, or from another program) is no name
        // on disk: U+FFFD's bytes, and shown so; a high and a low one together are one character.
        for (const char16_t lone : {u'\xDC00', u'\xDC7F', u'\xDD00', u'\xDFFF', u'\xD800'}) {
            const QString name = QStringLiteral("a") + QChar(lone) + QStringLiteral("b");
            QCOMPARE(nativepath::encode(name), QByteArray("a\xef\xbf\xbd"
                                                          "b"));
            QVERIFY(nativepath::holdsKeptBytes(name));
            QCOMPARE(nativepath::display(name), QStringLiteral("a\uFFFDb"));
        }
        QCOMPARE(nativepath::encode(QStringLiteral("\U0001F600")), QByteArray("\xf0\x9f\x98\x80"));
        // For a terminal, no control character of a name gets through as itself.
        QCOMPARE(
            nativepath::forTerminal(nativepath::decode(QByteArray("a\x1b[2J\a\r\xc2\x9b\xff\n"))),
            QStringLiteral("a\\x1B[2J\\x07\\x0D\\x9B\uFFFD\n"));
    }

    // A dropped folder and file, a file or folder chosen in a dialog (whose name Qt gave with
    // U+FFFD) and the command line's arguments reach the list with their own bytes; the list
    // shows U+FFFD.
    void everyWayInKeepsTheBytes()
    {
        WindowFixture fx;
        const QString root = fx.place.path(QStringLiteral("raw"));
        QVERIFY(QDir().mkpath(root));
        const auto cleanUp = qScopeGuard([&] { rawnames::removeTree(root); });
        const QString folder = rawnames::under(root, rawnames::Cafe);
        QVERIFY(rawnames::makeFolder(folder));
        const QString inFolder = rawnames::under(folder, rawnames::Cafe + ".pdf");
        const QString notes = rawnames::under(folder, rawnames::Junk + ".txt");
        const QString loose = rawnames::under(root, rawnames::Junk + ".pdf");
        for (const QString &path : {inFolder, notes, loose})
            QVERIFY(rawnames::copyTo(m_pdfs->text, path));
        WindowControls &ui = openWith(fx, {});

        QMimeData data;
        data.setData(QStringLiteral("text/uri-list"), uriList({folder, loose}));
        QVERIFY(dragAndDrop(ui, data));
        QTRY_COMPARE(ui.fileRows->count(), 3);
        QCOMPARE(QSet<QString>(ui.fileRows->texts().begin(), ui.fileRows->texts().begin() + 2),
                 (QSet<QString>{inFolder, notes})); // a dropped folder gives every file
        QCOMPARE(ui.fileRows->text(2), loose);

        fx.services.expectFiles({QFile::decodeName(nativepath::encode(inFolder))});
        ui.addFilesButton->click();
        QCOMPARE(fx.services.takeBoxes().size(), 1); // the dialog only
        QCOMPARE(ui.fileRows->count(), 4);
        QCOMPARE(ui.fileRows->text(3), inFolder);
        QCOMPARE(ui.fileRows->data(ui.fileRows->index(3)).toString(),
                 root + QStringLiteral("/caf\uFFFD/caf\uFFFD.pdf"));

        // The folder dialog, too, gives the name with U+FFFD; the scan walks the real folder.
        fx.services.expectInput(QStringLiteral("pdf"));
        fx.services.expectFolder(QFile::decodeName(nativepath::encode(folder)));
        ui.addFolderButton->click();
        QCOMPARE(fx.services.takeBoxes().size(), 2);
        QCOMPARE(ui.fileRows->count(), 5);
        QCOMPARE(ui.fileRows->text(4), inFolder);

        const QByteArray argument = nativepath::encode(folder);
        const char *argv[] = {"morwenda", "--some-option", argument.constData()};
        QCOMPARE(commandLineFiles(commandLineArguments(3, argv)), QStringList{folder});
        VERIFY_NO_BOXES(fx);
    }

    // The window converts such files with either converter; the texts get the PDFs' bytes.
    void theWindowConvertsThem_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pdftotext") << QString(converterchoice::Pdftotext);
        if (converterchoice::serviceBuilt())
            QTest::newRow("service") << QString(converterchoice::Service);
    }
    void theWindowConvertsThem()
    {
        QFETCH(QString, kind);
        WindowFixture fx;
        fx.settings.saveSetting(settingkeys::Converter, kind);
        const QString root = fx.place.path(QStringLiteral("raw"));
        QVERIFY(QDir().mkpath(root));
        const auto cleanUp = qScopeGuard([&] { rawnames::removeTree(root); });
        const QString folder = rawnames::under(root, rawnames::Cafe);
        QVERIFY(rawnames::makeFolder(folder));
        const QString pdf = rawnames::under(folder, rawnames::Junk + ".pdf");
        QVERIFY(rawnames::copyTo(m_pdfs->text, pdf));
        fx.startFiles = {folder};
        fx.open();
        WindowControls &ui = fx.ui();
        QTRY_COMPARE(ui.fileRows->count(), 1);
        QCOMPARE(ui.fileRows->text(0), pdf);
        saveBesidePdf(ui);
        fx.services.expectMessage();
        clickStart(ui);
        QCOMPARE(fx.services.boxes().size(), 1);
        QCOMPARE(fx.services.boxes().first().text, QStringLiteral("Done."));
        QCOMPARE(rawnames::contentOf(rawnames::under(folder, rawnames::Junk + ".txt")),
                 fixtures::convertDirectly(m_pdfs->text));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<MadePdfs> m_pdfs;
};

QTEST_MAIN(TestRawNames)
#include "tst_rawnames.moc"
