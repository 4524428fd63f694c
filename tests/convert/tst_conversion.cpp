// The converter's command lines, and which of them a conversion runs (with the real pdftotext).
#include "convert/CommandLines.h"
#include "convert/Converter.h"
#include "convert/RunConverter.h"
#include "PdfFixtures.h"
#include "platform/ErrorReport.h"
#include "RecordingProgress.h"
#include "TestPlace.h"

#include <memory>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const QString Open = QStringLiteral("open sesame");
const QString Owner = QStringLiteral("master key");

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { converter::RemoveAtShutdown(); }
    void argumentVectors_data();
    void argumentVectors();
    void pathsLikeOptionsAreMadeAbsolute();
    void userPasswordIsTriedWhenNothingWasWritten_data();
    void userPasswordIsTriedWhenNothingWasWritten();

private:
    std::unique_ptr<TestPlace> m_place;
};

void TestConversion::initTestCase()
{
    m_place = std::make_unique<TestPlace>();
    Procedure proc({}, tags::FormLoad);
    converter::Deploy(proc);
    QVERIFY(!converter::ProgramToRun().isEmpty());
    const QString plain = m_place->path(QStringLiteral("plain.pdf"));
    fixtures::writeTextPdf(plain, {QStringLiteral("Quarterly figures\nRevenue grew")});
    fixtures::encryptPdf(plain, m_place->path(QStringLiteral("open.pdf")), Open, Owner);
}

void TestConversion::argumentVectors_data()
{
    QTest::addColumn<bool>("preview");
    QTest::addColumn<QString>("password");
    QTest::addColumn<PasswordRole>("role");
    QTest::addColumn<QString>("expected"); // the arguments, split at blanks
    const auto owner = PasswordRole::Owner;
    const auto user = PasswordRole::User;
    const QString none;
    const QString typed = QStringLiteral("P");
    QTest::newRow("batch") << false << none << owner << QStringLiteral("in.pdf out.txt");
    QTest::newRow("batch, owner password")
        << false << typed << owner << QStringLiteral("-opw P in.pdf out.txt");
    QTest::newRow("batch, user password")
        << false << typed << user << QStringLiteral("-upw P in.pdf out.txt");
    QTest::newRow("preview") << true << none << owner
                             << QStringLiteral("-f 1 -l 100 in.pdf out.txt");
    QTest::newRow("preview, user password")
        << true << typed << user << QStringLiteral("-upw P -f 1 -l 100 in.pdf out.txt");
    QTest::newRow("an empty password passes no option")
        << true << none << user << QStringLiteral("-f 1 -l 100 in.pdf out.txt");
}

void TestConversion::argumentVectors()
{
    QFETCH(bool, preview);
    QFETCH(QString, password);
    QFETCH(PasswordRole, role);
    QFETCH(QString, expected);
    const QString pdf = QStringLiteral("in.pdf");
    const QString out = QStringLiteral("out.txt");
    QCOMPARE(preview ? PreviewArguments(pdf, out, password, role)
                     : BatchArguments(pdf, out, password, role),
             expected.split(u' '));
}

void TestConversion::pathsLikeOptionsAreMadeAbsolute()
{
    const QString cwd = QDir::currentPath() + u'/';
    QCOMPARE(BatchArguments(QStringLiteral("-raw"), QStringLiteral("-")),
             (QStringList{cwd + QStringLiteral("-raw"), cwd + QStringLiteral("-")}));
}

void TestConversion::userPasswordIsTriedWhenNothingWasWritten_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("earlier"); // a text file of an earlier run is already there
    QTest::addColumn<int>("runs");
    QTest::addColumn<bool>("converted");
    const QString guess = QStringLiteral("guess");
    QTest::newRow("no password typed: no second run") << QString() << false << 1 << false;
    QTest::newRow("the owner password opens it at once") << Owner << false << 1 << true;
    QTest::newRow("the open password, as user password") << Open << false << 2 << true;
    QTest::newRow("a wrong password") << guess << false << 2 << false;
    QTest::newRow("an earlier file does not count as written") << Open << true << 2 << true;
    QTest::newRow("a wrong password leaves an earlier file") << guess << true << 2 << false;
}

void TestConversion::userPasswordIsTriedWhenNothingWasWritten()
{
    QFETCH(QString, typed);
    QFETCH(bool, earlier);
    QFETCH(int, runs);
    QFETCH(bool, converted);
    const QString out = m_place->path(QStringLiteral("out/%1.txt").arg(QTest::currentDataTag()));
    const QByteArray before = "text of an earlier run\n";
    if (earlier) {
        QFile file(out);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(before) == before.size());
    }
    RecordingProgress progress;
    const ProcessResult result = RunConverter(m_place->path(QStringLiteral("open.pdf")), out, typed,
                                              false, &progress, QStringLiteral("caption"), 50, 2);
    // Every run ends by putting the caption back.
    QCOMPARE(progress.texts, QStringList(runs, QStringLiteral("caption")));
    QVERIFY(result.exitedWith(converted ? 0 : 1));
    if (converted)
        QVERIFY(bytesOf(out).contains("Quarterly figures"));
    else
        QCOMPARE(QFile::exists(out) ? bytesOf(out) : QByteArray("none"),
                 earlier ? before : QByteArray("none"));
}

QTEST_MAIN(TestConversion)
#include "tst_conversion.moc"
