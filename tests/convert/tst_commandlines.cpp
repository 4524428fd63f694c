#include "convert/CommandLines.h"

#include <QDir>
#include <QTest>

class TestCommandLines : public QObject
{
    Q_OBJECT

private slots:
    void argumentVectors_data();
    void argumentVectors();
};

void TestCommandLines::argumentVectors_data()
{
    QTest::addColumn<bool>("preview");
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("password");
    QTest::addColumn<PasswordRole>("role");
    QTest::addColumn<QStringList>("expected");

    const QString pdf = QStringLiteral("/docs/a report.pdf");
    const QString out = QStringLiteral("/out/a report.txt");
    const QString cwd = QDir::currentPath();
    const auto owner = PasswordRole::Owner;
    const auto user = PasswordRole::User;
    const QStringList pages = {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                               QStringLiteral("100")};

    QTest::newRow("batch, no password")
        << false << pdf << out << QString() << owner << QStringList{pdf, out};
    QTest::newRow("batch, password as owner password")
        << false << pdf << out << QStringLiteral("P") << owner
        << QStringList{QStringLiteral("-opw"), QStringLiteral("P"), pdf, out};
    QTest::newRow("batch, password as user password")
        << false << pdf << out << QStringLiteral("P") << user
        << QStringList{QStringLiteral("-upw"), QStringLiteral("P"), pdf, out};
    QTest::newRow("preview, no password")
        << true << pdf << out << QString() << owner << pages + QStringList{pdf, out};
    QTest::newRow("preview, password as owner password")
        << true << pdf << out << QStringLiteral("P") << owner
        << QStringList{QStringLiteral("-opw"), QStringLiteral("P")} + pages + QStringList{pdf, out};
    QTest::newRow("preview, password as user password")
        << true << pdf << out << QStringLiteral("P") << user
        << QStringList{QStringLiteral("-upw"), QStringLiteral("P")} + pages + QStringList{pdf, out};
    QTest::newRow("an empty password passes no option")
        << false << pdf << out << QString() << user << QStringList{pdf, out};
    const QString awkward = QStringLiteral(" pa\"ss\" wörd -f ");
    QTest::newRow("a password with quotes and blanks is one argument")
        << false << pdf << out << awkward << owner
        << QStringList{QStringLiteral("-opw"), awkward, pdf, out};
    QTest::newRow("a relative path that looks like an option is made absolute")
        << false << QStringLiteral("-raw") << QStringLiteral("-") << QString() << owner
        << QStringList{cwd + QStringLiteral("/-raw"), cwd + QStringLiteral("/-")};
    QTest::newRow("a dash inside an absolute path stays")
        << true << QStringLiteral("/docs/-leading-dash.pdf") << out << QString() << owner
        << pages + QStringList{QStringLiteral("/docs/-leading-dash.pdf"), out};
}

void TestCommandLines::argumentVectors()
{
    QFETCH(bool, preview);
    QFETCH(QString, pdf);
    QFETCH(QString, output);
    QFETCH(QString, password);
    QFETCH(PasswordRole, role);
    QFETCH(QStringList, expected);
    const QStringList arguments = preview ? PreviewArguments(pdf, output, password, role)
                                          : BatchArguments(pdf, output, password, role);
    QCOMPARE(arguments, expected);
}

QTEST_GUILESS_MAIN(TestCommandLines)
#include "tst_commandlines.moc"
