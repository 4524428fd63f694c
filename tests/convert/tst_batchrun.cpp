#include "BatchFixture.h"
#include "convert/BatchController.h"
#include "convert/Outcome.h"
#include "convert/OutputChoice.h"
#include "platform/CaptionProgressBar.h"
#include "platform/PointerState.h"

#include <QTreeView>

namespace {

QString failureLine(const QString &pdf, const QString &reason)
{
    return QStringLiteral("\r\n") + pdf + reason;
}

const QString Header = QStringLiteral("\r\nThe following files could not be read:");

} // namespace

class TestBatchRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mixedBatchGivesTheExactFinalMessage();
    void passwordsTypedEmptyAndCancelled();
    void passwordWithQuotesAndBlanksConverts();
    void outputFolderWithAndWithoutTrailingSeparator();
    void outputBesideEachPdf();
    void staleOutputIsNeitherCountedNorTouched();
    void refusals();
    void oneFileRunsAtFullProgressAndSecondClickIsIgnored();
    void nestedPreviewKeepsTheListLocked();

private:
    std::unique_ptr<QTemporaryDir> m_pdfDir;
    std::unique_ptr<MadePdfs> m_pdfs;
};

void TestBatchRun::initTestCase()
{
    m_pdfDir = std::make_unique<QTemporaryDir>();
    m_pdfs = std::make_unique<MadePdfs>(m_pdfDir->filePath(QStringLiteral("in")));
}

void TestBatchRun::mixedBatchGivesTheExactFinalMessage()
{
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    const MadePdfs &p = *m_pdfs;
    for (const QString &pdf : {p.text, p.image, p.user, p.owner, p.damaged, p.pages})
        ui.fileRows->append(pdf);
    fx.services.expectMessage();
    clickStart(ui);

    QCOMPARE(fx.services.boxes().size(), 1);
    const FakeServices::Box box = fx.services.boxes().first();
    QCOMPARE(box.title, QStringLiteral("Morwenda"));
    QCOMPARE(box.text, QStringLiteral("Done.") + Header +
                           failureLine(p.image, reasons::Unreadable) +
                           failureLine(p.user, reasons::Protected) +
                           failureLine(p.damaged, reasons::Protected));
    QCOMPARE(readAll(out + QStringLiteral("text.txt")), fixtures::convertDirectly(p.text));
    QCOMPARE(readAll(out + QStringLiteral("three pages.txt")), fixtures::convertDirectly(p.pages));
    QVERIFY(readAll(out + QStringLiteral("three pages.txt")).contains("Page three text"));
    // A scan's text file stays, even though it is reported.
    QVERIFY(QFile::exists(out + QStringLiteral("scan.txt")));
    QVERIFY(!QFile::exists(out + QStringLiteral("user.txt")));
    // Nothing of the run is left behind: no staging folders, the bar and pointer are reset.
    QVERIFY(QFile::exists(out + QStringLiteral("owner.txt"))); // copying forbidden, not refused
    QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 4);
    QCOMPARE(ui.progressBar->value(), 0);
    QCOMPARE(ui.progressBar->text(), QStringLiteral("Progress Bar"));
    QCOMPARE(ui.pointer->value(), int(PointerState::Default));
    QVERIFY(!ui.window->batch().isRunning());
    QCOMPARE(ui.fileRows->count(), 6);
}

void TestBatchRun::passwordsTypedEmptyAndCancelled()
{
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    QTest::mouseClick(ui.askPasswordBox, Qt::LeftButton, {},
                      QPoint(5, ui.askPasswordBox->height() / 2));
    QVERIFY(ui.askPasswordBox->isChecked());
    const MadePdfs &p = *m_pdfs;
    // The open password (which the converter refuses as an owner password), the owner password
    // of a file that forbids copying, a wrong password, an empty answer and a plain file.
    ui.fileRows->appendAll({p.user, p.owner, p.user, p.user, p.text});
    fx.services.expectInput(QString::fromUtf16(MadePdfs::UserPassword));
    fx.services.expectInput(QString::fromUtf16(MadePdfs::OwnerPassword));
    fx.services.expectInput(QStringLiteral("wrong"));
    fx.services.expectInput(QString()); // empty answer, as Cancel gives
    fx.services.expectInput(QString());
    fx.services.expectMessage();
    clickStart(ui);

    const QList<FakeServices::Box> boxes = fx.services.boxes();
    QCOMPARE(boxes.size(), 6);
    QCOMPARE(boxes[0].title, QStringLiteral("Input Password"));
    QCOMPARE(boxes[0].text,
             QStringLiteral("Enter password for file (") + p.user +
                 QStringLiteral("): \r\nNote: Leave this box blank if file is not password "
                                "protected"));
    QCOMPARE(boxes[0].preset, QString());
    QCOMPARE(boxes.last().text, QStringLiteral("Done.") + Header +
                                    failureLine(p.user, reasons::WrongPassword) +
                                    failureLine(p.user, reasons::Protected));
    // The first two runs wrote the text; the wrong password and the empty one left it alone.
    const QByteArray plain = fixtures::convertDirectly(p.text);
    QCOMPARE(readAll(out + QStringLiteral("user.txt")), plain);
    QCOMPARE(readAll(out + QStringLiteral("owner.txt")), plain);
}

void TestBatchRun::passwordWithQuotesAndBlanksConverts()
{
    const QString password = QStringLiteral("say \"cheese\" & ünïcode");
    const QString pdf = m_pdfDir->filePath(QStringLiteral("in/odd \"name\" ä.pdf"));
    fixtures::encryptPdf(m_pdfs->text, pdf, password, password);
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    fx.ui().askPasswordBox->setChecked(true);
    fx.ui().fileRows->append(pdf);
    fx.services.expectInput(password);
    fx.services.expectMessage();
    clickStart(fx.ui());
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("Done."));
    QCOMPARE(readAll(out + QStringLiteral("odd \"name\" ä.txt")),
             fixtures::convertDirectly(m_pdfs->text));
}

void TestBatchRun::outputFolderWithAndWithoutTrailingSeparator()
{
    for (const QString &suffix : {QString(), QStringLiteral("/"), QStringLiteral("//")}) {
        WindowFixture fx;
        fx.open();
        const QString out = fx.place.path(QStringLiteral("texts"));
        QDir().mkpath(out);
        saveToFolder(fx.ui(), out + suffix);
        fx.ui().fileRows->append(m_pdfs->text);
        fx.services.expectMessage();
        clickStart(fx.ui());
        QCOMPARE(fx.services.boxes().last().text, QStringLiteral("Done."));
        QVERIFY2(QFile::exists(out + QStringLiteral("/text.txt")), qPrintable(suffix));
    }
}

void TestBatchRun::outputBesideEachPdf()
{
    WindowFixture fx;
    fx.open();
    const QString a = fx.place.path(QStringLiteral("a/report.final.PDF"));
    const QString b = fx.place.path(QStringLiteral("b c/other.pdf"));
    // A name without a dot gets ".txt" appended, never the folder itself as its output.
    const QString bare = fx.place.path(QStringLiteral("b c/README"));
    // A PDF named like a text file is never replaced by its own text.
    QFile::copy(m_pdfs->text, a);
    QFile::copy(m_pdfs->pages, b);
    QFile::copy(m_pdfs->text, bare);
    QFile::copy(m_pdfs->text, fx.place.path(QStringLiteral("b c/notes.txt")));
    saveBesidePdf(fx.ui());
    // The folder box is not looked at when saving beside each PDF.
    fx.ui().outputFolderEdit->setText(QStringLiteral("/no/such/folder"));
    fx.ui().fileRows->appendAll({a, b, bare, fx.place.path(QStringLiteral("b c/notes.txt"))});
    fx.services.expectMessage();
    clickStart(fx.ui());
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("Done."));
    QVERIFY(QFile::exists(fx.place.path(QStringLiteral("a/report.final.txt"))));
    QVERIFY(QFile::exists(fx.place.path(QStringLiteral("b c/other.txt"))));
    QCOMPARE(readAll(fx.place.path(QStringLiteral("b c/README.txt"))),
             fixtures::convertDirectly(m_pdfs->text));
    QCOMPARE(readAll(bare), readAll(m_pdfs->text));
    QCOMPARE(readAll(fx.place.path(QStringLiteral("b c/notes.txt"))), readAll(m_pdfs->text));
    QVERIFY(QFile::exists(fx.place.path(QStringLiteral("b c/notes.txt.txt"))));
}

void TestBatchRun::staleOutputIsNeitherCountedNorTouched()
{
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    QFile stale(out + QStringLiteral("user.txt"));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("text of an earlier run\n");
    stale.close();
    fx.ui().fileRows->append(m_pdfs->user);
    fx.services.expectMessage();
    clickStart(fx.ui());
    // The converter wrote nothing this time: the earlier file is no result of this run...
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("File(s) has no data."));
    // ...and it is left exactly as it was.
    QCOMPARE(readAll(out + QStringLiteral("user.txt")), QByteArray("text of an earlier run\n"));

    // With text among the files, the earlier file is still named with its reason.
    fx.ui().fileRows->append(m_pdfs->text);
    fx.services.expectMessage();
    clickStart(fx.ui());
    QCOMPARE(fx.services.boxes().last().text,
             QStringLiteral("Done.") + Header + failureLine(m_pdfs->user, reasons::Protected));

    // A folder where the text file would go takes no text either, and is no failure of the run.
    QVERIFY(QDir().mkpath(out + QStringLiteral("three pages.txt")));
    fx.ui().fileRows->append(m_pdfs->pages);
    fx.services.expectMessage();
    clickStart(fx.ui());
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("Done.") + Header +
                                                  failureLine(m_pdfs->user, reasons::Protected) +
                                                  failureLine(m_pdfs->pages, reasons::Protected));
}

void TestBatchRun::refusals()
{
    WindowFixture fx;
    fx.open();
    WindowControls &ui = fx.ui();
    fx.services.expectMessage();
    clickStart(ui);
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("No files added."));

    ui.fileRows->append(m_pdfs->text);
    saveToFolder(ui, fx.place.path(QStringLiteral("missing")));
    fx.services.expectMessage();
    clickStart(ui);
    QCOMPARE(fx.services.boxes().last().text,
             QStringLiteral("Folder does not exist. Please select another folder."));

    // Neither option selected cannot be reached by clicking, but must not write anywhere.
    const QString out = fx.place.path(QStringLiteral("out"));
    QDir().mkpath(out);
    ui.outputFolderEdit->setText(out);
    ui.saveToFolderOption->setAutoExclusive(false);
    ui.saveToFolderOption->setChecked(false);
    fx.services.expectMessage();
    clickStart(ui);
    QVERIFY(fx.services.boxes().last().text.startsWith(QStringLiteral("Please choose where")));
    QVERIFY(QDir(out).isEmpty());
    // The early messages leave the pointer and the bar alone, and the run can start again.
    QCOMPARE(ui.progressBar->text(), QStringLiteral("Progress Bar"));
    QVERIFY(!ui.window->batch().isRunning());
    QCOMPARE(fx.services.pending(), 0);
}

void TestBatchRun::oneFileRunsAtFullProgressAndSecondClickIsIgnored()
{
    WindowFixture fx;
    openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    ui.askPasswordBox->setChecked(true);
    ui.fileRows->append(m_pdfs->text);
    int valueSeen = -1;
    QString textSeen;
    int pointerSeen = -1;
    fx.services.expectInput(QString(), [&](const FakeServices::Box &) {
        valueSeen = ui.progressBar->value();
        textSeen = ui.progressBar->text();
        pointerSeen = ui.pointer->value();
        // A second click while the run goes on starts nothing: no box, no second run.
        QTest::mouseClick(ui.startButton, Qt::LeftButton);
    });
    fx.services.expectMessage();
    clickStart(ui);
    QCOMPARE(valueSeen, 100);
    QCOMPARE(textSeen, QStringLiteral("Processing: text.pdf"));
    QCOMPARE(pointerSeen, int(PointerState::Busy));
    QCOMPARE(fx.services.boxes().size(), 2);
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("Done."));
}

void TestBatchRun::nestedPreviewKeepsTheListLocked()
{
    WindowFixture fx;
    openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    ui.askPasswordBox->setChecked(true);
    ui.fileRows->appendAll({m_pdfs->text, m_pdfs->pages});
    fx.services.expectInput(QString(), [&](const FakeServices::Box &) {
        // A click on the list during the run previews the file, inside the run's wait...
        ui.askPasswordBox->setChecked(false);
        const QRect row = ui.fileList->visualRect(ui.fileRows->index(1));
        QTest::mouseClick(ui.fileList->viewport(), Qt::LeftButton, {}, row.center());
        QVERIFY(ui.previewRows->count() > 0);
        // ...and gives the busy pointer back, so the list cannot be cleared under the run.
        QCOMPARE(ui.pointer->value(), int(PointerState::Busy));
        QTest::mouseClick(ui.clearButton, Qt::LeftButton);
        QCOMPARE(ui.fileRows->count(), 2);
    });
    fx.services.expectMessage();
    clickStart(ui);
    QCOMPARE(fx.services.boxes().last().text, QStringLiteral("Done."));
    QCOMPARE(ui.pointer->value(), int(PointerState::Default));
}

QTEST_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
