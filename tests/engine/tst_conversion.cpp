// SPDX-License-Identifier: GPL-3.0-or-later
// The converter's command lines, and which password a conversion offers (with the real
// pdftotext).
#include "engine/CommandLines.h"
#include "engine/ConverterDeployment.h"
#include "engine/PdftotextJob.h"
#include "EngineTesting.h"
#include "PdfFixtures.h"
#include "platform/ErrorReport.h"
#include "TestPlace.h"

#include <memory>
#include <QDir>
#include <QTest>

namespace {

const QString Open = QStringLiteral("open sesame");
const QString Owner = QStringLiteral("master key");

} // namespace

class TestConversion : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void argumentVectors_data();
    void argumentVectors();
    void pathsLikeOptionsAreMadeAbsolute();
    void userPasswordIsTriedWhenTheOwnerPasswordGivesNothing_data();
    void userPasswordIsTriedWhenTheOwnerPasswordGivesNothing();

private:
    std::unique_ptr<TestPlace> m_place;
    std::unique_ptr<ConverterDeployment> m_deployment;
};

void TestConversion::initTestCase()
{
    m_place = std::make_unique<TestPlace>();
    m_deployment = std::make_unique<ConverterDeployment>();
    Procedure proc({}, tags::FormLoad);
    m_deployment->deploy(proc);
    QVERIFY(!m_deployment->program().isEmpty());
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
    QTest::newRow("batch") << false << none << owner << QStringLiteral("in.pdf -");
    QTest::newRow("batch, owner password")
        << false << typed << owner << QStringLiteral("-opw P in.pdf -");
    QTest::newRow("batch, user password")
        << false << typed << user << QStringLiteral("-upw P in.pdf -");
    QTest::newRow("preview") << true << none << owner << QStringLiteral("-f 1 -l 100 in.pdf -");
    QTest::newRow("preview, user password")
        << true << typed << user << QStringLiteral("-upw P -f 1 -l 100 in.pdf -");
    QTest::newRow("an empty password passes no option")
        << true << none << user << QStringLiteral("-f 1 -l 100 in.pdf -");
}

void TestConversion::argumentVectors()
{
    QFETCH(bool, preview);
    QFETCH(QString, password);
    QFETCH(PasswordRole, role);
    QFETCH(QString, expected);
    JobOrder order;
    order.pdf = QStringLiteral("in.pdf");
    order.password = password;
    order.firstHundredPages = preview;
    QCOMPARE(PdftotextJob::arguments(order, role), expected.split(u' '));
}

void TestConversion::pathsLikeOptionsAreMadeAbsolute()
{
    const QString cwd = QDir::currentPath() + u'/';
    JobOrder order;
    order.pdf = QStringLiteral("-raw");
    QCOMPARE(PdftotextJob::arguments(order, PasswordRole::Owner),
             (QStringList{cwd + QStringLiteral("-raw"), QStringLiteral("-")}));
    QCOMPARE(positionalPath(QStringLiteral("-")), cwd + u'-');
}

void TestConversion::userPasswordIsTriedWhenTheOwnerPasswordGivesNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("earlier"); // a text file of an earlier run is already there
    QTest::addColumn<Outcome>("outcome");
    const QString guess = QStringLiteral("guess");
    QTest::newRow("no password typed") << QString() << false << Outcome::Protected;
    QTest::newRow("the owner password opens it at once") << Owner << false << Outcome::Converted;
    QTest::newRow("the open password, as user password") << Open << false << Outcome::Converted;
    QTest::newRow("a wrong password") << guess << false << Outcome::WrongPassword;
    QTest::newRow("an earlier file is replaced") << Open << true << Outcome::Converted;
    QTest::newRow("a wrong password leaves an earlier file")
        << guess << true << Outcome::WrongPassword;
}

void TestConversion::userPasswordIsTriedWhenTheOwnerPasswordGivesNothing()
{
    QFETCH(QString, typed);
    QFETCH(bool, earlier);
    QFETCH(Outcome, outcome);
    const QString folder = m_place->path(QStringLiteral("out/%1").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder));
    const QString pdf = m_place->path(QStringLiteral("open.pdf"));
    const QString out = folder + QStringLiteral("/open.txt");
    const QByteArray before = "text of an earlier run\n";
    if (earlier)
        QVERIFY(writeFile(out, before));
    PdftotextConverter converter(m_deployment->program());
    ConversionRun run(converter);
    run.setPasswordProvider([&](const QString &) { return typed; });
    const FinishedRun done = runToEnd(run, {pdf}, intoFolder(folder, true), limitsOf(1));
    QCOMPARE(done.outcomes.at(0).outcome, outcome);
    if (outcome == Outcome::Converted)
        QVERIFY(contentOf(out).contains("Quarterly figures"));
    else
        QCOMPARE(contentOf(out), earlier ? before : QByteArray("(none)"));
}

QTEST_MAIN(TestConversion)
#include "tst_conversion.moc"
