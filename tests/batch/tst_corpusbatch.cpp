// SPDX-License-Identifier: GPL-3.0-or-later
// The batch run over real-world PDFs gives every file the outcome of the converter itself.
#include "BatchFixture.h"
#include "engine/Outcome.h"
#include "engine/OutputChoice.h"
#include "engine/TextCheck.h"

#include <QTemporaryFile>

namespace {

struct CorpusEntry
{
    QString file;
    QString category;
    QString userPassword;
    QString ownerPassword;
};

QList<CorpusEntry> readManifest()
{
    QList<CorpusEntry> entries;
    QFile manifest(fixtures::corpusFile(QStringLiteral("MANIFEST.tsv")));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    const QList<QByteArray> lines = manifest.readAll().split('\n');
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList cells = QString::fromUtf8(lines[i]).split(u'\t');
        if (cells.size() < 5 || !cells[0].endsWith(QStringLiteral(".pdf")))
            continue;
        entries.append({fixtures::corpusFile(cells[0]), cells[1], cells[3], cells[4]});
    }
    return entries;
}

bool judgedWithoutText(const QByteArray &text)
{
    QTemporaryFile file;
    file.open();
    file.write(text);
    file.close();
    return hasNoUsableText(file.fileName(), {});
}

int letters(const QByteArray &text)
{
    int count = 0;
    for (const QChar c : QString::fromUtf8(text))
        count += c.isLetter() ? 1 : 0;
    return count;
}

QString outputFor(const QString &folder, const QString &pdf)
{
    return outputpaths::inFolder(folder, pdf);
}

} // namespace

class TestCorpusBatch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeCorpusWithoutPasswords();
    void documentedPasswordsOpenTheirFiles();

private:
    QList<CorpusEntry> m_entries;
};

void TestCorpusBatch::initTestCase()
{
    m_entries = readManifest();
    if (m_entries.isEmpty())
        QSKIP("the corpus of real-world PDFs is not beside the project");
}

void TestCorpusBatch::wholeCorpusWithoutPasswords()
{
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    for (const CorpusEntry &entry : m_entries)
        ui.fileRows->append(entry.file);
    fx.services.expectMessage();
    clickStart(ui);

    QString expected;
    for (const CorpusEntry &entry : m_entries) {
        const QByteArray direct = fixtures::convertDirectly(entry.file);
        const QString output = outputFor(out, entry.file);
        if (direct.isNull()) {
            QVERIFY2(!QFile::exists(output), qPrintable(entry.file));
            // A file that wants a password, or one the converter cannot read at all.
            const bool locked = entry.category.startsWith(QStringLiteral("encrypted-user-pw"));
            expected += QStringLiteral("\r\n") + entry.file +
                        (locked ? reasons::Protected : reasons::Damaged);
            continue;
        }
        QVERIFY2(readAll(output) == direct, qPrintable(entry.file));
        // A text of no bytes at all is no usable text either.
        const bool noText = direct.isEmpty() || judgedWithoutText(direct);
        if (noText)
            expected += QStringLiteral("\r\n") + entry.file + reasons::Unreadable;
        // Scans have no text; text is judged as text whatever its script (a file of five
        // Japanese letters and a page break is too little to count).
        if (entry.category.startsWith(QStringLiteral("image-only")))
            QVERIFY2(noText, qPrintable(entry.file));
        if (entry.category.startsWith(QStringLiteral("text-")) ||
            (entry.category.startsWith(QStringLiteral("non-Latin")) && letters(direct) > 5))
            QVERIFY2(!noText, qPrintable(entry.file));
    }
    QCOMPARE(fx.services.boxes().size(), 1);
    QCOMPARE(fx.services.boxes().first().text,
             QStringLiteral("Done.\r\nThe following files could not be read:") + expected);
}

void TestCorpusBatch::documentedPasswordsOpenTheirFiles()
{
    WindowFixture fx;
    const QString out = openSavingToOut(fx);
    WindowControls &ui = fx.ui();
    ui.askPasswordBox->setChecked(true);
    QList<CorpusEntry> protectedFiles;
    for (const CorpusEntry &entry : m_entries) {
        const QString password =
            entry.userPassword.isEmpty() ? entry.ownerPassword : entry.userPassword;
        if (password.isEmpty() || !entry.category.startsWith(QStringLiteral("encrypted")))
            continue;
        protectedFiles.append(entry);
        ui.fileRows->append(entry.file);
        // A file that pdftotext opens without a password (only its owner has one, or the owner's
        // is empty) gets no box.
        if (fixtures::convertDirectly(entry.file).isNull())
            fx.services.expectPassword(password);
    }
    QVERIFY(protectedFiles.size() >= 10);
    fx.services.expectMessage();
    clickStart(ui);

    for (const CorpusEntry &entry : protectedFiles) {
        const QStringList option = entry.userPassword.isEmpty()
                                       ? QStringList{QStringLiteral("-opw"), entry.ownerPassword}
                                       : QStringList{QStringLiteral("-upw"), entry.userPassword};
        const QByteArray direct = fixtures::convertDirectly(entry.file, option);
        QVERIFY2(!direct.isNull(), qPrintable(entry.file));
        QVERIFY2(readAll(outputFor(out, entry.file)) == direct, qPrintable(entry.file));
    }
    QCOMPARE(fx.services.boxes().last().text.left(5), QStringLiteral("Done."));
    QCOMPARE(fx.services.pending(), 0);
}

QTEST_MAIN(TestCorpusBatch)
#include "tst_corpusbatch.moc"
