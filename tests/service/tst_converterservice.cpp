// SPDX-License-Identifier: GPL-3.0-or-later
// The converter service against the real pdftotext, byte for byte, and what its children may do
// to it: crash, hang, run out of memory, outlive their parent.
#include "PdfFixtures.h"
#include "ServiceAnswer.h"
#include "service/ConverterServiceClient.h"
#include "service/IdleDeadline.h"
#include "TestConfig.h"

#include <cerrno>
#include <csignal>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <signal.h>
#include <sys/types.h>

using serviceprotocol::ConvertRequest;
using serviceprotocol::Outcome;
using serviceprotocol::OutcomeKind;
using serviceprotocol::PasswordUse;

Q_DECLARE_METATYPE(OutcomeKind)
Q_DECLARE_METATYPE(serviceprotocol::Outcome)

namespace {

// Unique to this run, so another program's command line (a qpdf of a test running beside this
// one) cannot show it by chance.
const QString HiddenPassword =
    QStringLiteral("Zq7-service-%1").arg(QRandomGenerator::global()->generate64(), 0, 36);

// A page whose content draws a form `fanout` times, which draws the next form `fanout` times,
// `depth` levels deep; the last form holds `leaf`. Small on disk, endless to interpret.
QByteArray nestedFormsPdf(int depth, int fanout, const QByteArray &leaf)
{
    QList<QByteArray> objects;
    objects << "<< /Type /Catalog /Pages 2 0 R >>"
            << "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"
            << QByteArray("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources "
                          "<< /XObject << /F0 5 0 R >> >> /Contents ") +
                   QByteArray::number(5 + depth) + " 0 R >>"
            << "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    for (int level = 0; level < depth; ++level) {
        QByteArray body = leaf;
        QByteArray resources = "<< /Font << /H 4 0 R >> >>";
        if (level + 1 < depth) {
            const QByteArray next = QByteArray::number(level + 1);
            // Each draw moves a little, so no two draws put text on the same spot.
            body = ("/F" + next + " Do 1 0 0 1 0.37 0.23 cm\n").repeated(fanout);
            resources = "<< /XObject << /F" + next + ' ' + QByteArray::number(5 + level + 1) +
                        " 0 R >> /Font << /H 4 0 R >> >>";
        }
        objects << "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Resources " + resources +
                       " /Length " + QByteArray::number(body.size()) + " >>\nstream\n" + body +
                       "\nendstream";
    }
    const QByteArray content = "/F0 Do\n";
    objects << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
                   "\nendstream";
    return fixtures::pdfOfObjects(objects);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

struct ReferenceRun
{
    int exitCode = -1;
    QByteArray text;
    QByteArray errors;
};

// pdftotext as the program runs it: a typed password as the owner's first, then as the user's.
ReferenceRun runPdftotext(const QString &pdf, const QString &password, int firstPage, int lastPage,
                          const QString &output)
{
    ReferenceRun run;
    const QStringList range = firstPage > 0
                                  ? QStringList{QStringLiteral("-f"), QString::number(firstPage),
                                                QStringLiteral("-l"), QString::number(lastPage)}
                                  : QStringList{};
    const QList<QStringList> attempts =
        password.isEmpty() ? QList<QStringList>{{}}
                           : QList<QStringList>{{QStringLiteral("-opw"), password},
                                                {QStringLiteral("-upw"), password}};
    for (const QStringList &passwordArguments : attempts) {
        QFile::remove(output);
        QProcess converter;
        converter.start(QStringLiteral(MORWENDA_PDFTOTEXT),
                        passwordArguments + range + QStringList{pdf, output});
        converter.waitForFinished(120000);
        run.exitCode = converter.exitCode();
        run.errors += converter.readAllStandardError();
        if (run.exitCode == 0)
            break;
    }
    QFile text(output);
    if (text.open(QIODevice::ReadOnly))
        run.text = text.readAll();
    return run;
}

// Whether a process is gone (or only waits to be reaped).
bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName < 0 || line.mid(afterName + 2, 1) == "Z";
}

// The children of a process, from /proc.
QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> children;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks.filePath(task + QStringLiteral("/children")));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &child : file.readAll().split(' ')) {
            if (!child.trimmed().isEmpty())
                children << child.trimmed().toLongLong();
        }
    }
    return children;
}

// The command lines of the machine's processes that hold `secret`.
QList<QByteArray> commandLinesShowing(const QByteArray &secret)
{
    QList<QByteArray> showing;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile cmdline(proc.filePath(entry + QStringLiteral("/cmdline")));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(secret))
            showing << entry.toUtf8();
    }
    return showing;
}

ConvertRequest requestFor(const QString &pdf, const QString &password = {})
{
    ConvertRequest request;
    request.pdfPath = ConverterServiceClient::pathBytes(pdf);
    if (!password.isEmpty()) {
        request.passwordUse = PasswordUse::OwnerThenUser;
        request.password = ConverterServiceClient::passwordBytes(password);
    }
    return request;
}

} // namespace

class TestConverterService : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void sameTextAsPdftotext_data();
    void sameTextAsPdftotext();
    void textIntoFile_data();
    void textIntoFile();
    void failingChildLeavesServiceServing_data();
    void failingChildLeavesServiceServing();
    void requestsEndWhenServiceCannotServe_data();
    void requestsEndWhenServiceCannotServe();
    void nothingOutlivesItsParent_data();
    void nothingOutlivesItsParent();
    void requestsAtTheEdges_data();
    void requestsAtTheEdges();
    void idleLimitCountsFromTheLastPageDone();
    void unreadPagesAreNumberedAsPdftotextNumbersThem_data();
    void unreadPagesAreNumberedAsPdftotextNumbersThem();
    void aHugePictureIsNoCrash_data();
    void aHugePictureIsNoCrash();

private:
    using Result = ServiceAnswer;
    // Sends the request and waits for its outcome; `whileRunning` runs once the child exists.
    Result convert(const ConvertRequest &request,
                   const std::function<void(qint64 child, quint32 id)> &whileRunning = {});
    qint64 waitForChild(qint64 service);

    QTemporaryDir m_dir;
    std::unique_ptr<ConverterServiceClient> m_client;
    QString m_openHangPdf;
    QString m_hangPdf;
    QString m_bombPdf;
    QString m_textPdf;
};

void TestConverterService::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The hostile files are locked with a password, so every run of them also shows whether
    // the password can be seen on any command line of the machine.
    m_openHangPdf = m_dir.filePath(QStringLiteral("open-hang.pdf"));
    writeFile(m_openHangPdf, nestedFormsPdf(9, 10, "0 0 1 1 re f"));
    m_hangPdf = m_dir.filePath(QStringLiteral("hang.pdf"));
    fixtures::encryptPdf(m_openHangPdf, m_hangPdf, HiddenPassword, HiddenPassword);
    const QString open = m_dir.filePath(QStringLiteral("open.pdf"));
    m_bombPdf = m_dir.filePath(QStringLiteral("bomb.pdf"));
    writeFile(open, nestedFormsPdf(6, 10,
                                   "BT /H 12 Tf 10 10 Td (" +
                                       QByteArray("ABCDEFGHIJ").repeated(400) + ") Tj ET"));
    fixtures::encryptPdf(open, m_bombPdf, HiddenPassword, HiddenPassword);
    m_textPdf = m_dir.filePath(QStringLiteral("text.pdf"));
    fixtures::writeTextPdf(
        m_textPdf, {QStringLiteral("First page\nof the text"), QStringLiteral("Second page")});

    m_client = std::make_unique<ConverterServiceClient>(QStringLiteral(MORWENDA_BINARY));
    QSignalSpy ready(m_client.get(), &ConverterServiceClient::ready);
    QSignalSpy failed(m_client.get(), &ConverterServiceClient::failed);
    m_client->start();
    QTRY_VERIFY_WITH_TIMEOUT(!ready.isEmpty() || !failed.isEmpty(), 30000);
    QVERIFY2(failed.isEmpty(), qPrintable(failed.value(0).value(0).toString()));
    QVERIFY(!ready.first().first().toString().isEmpty());
}

// Closing its input ends the service by itself.
void TestConverterService::cleanupTestCase()
{
    const qint64 service = m_client->processId();
    m_client->stop();
    QTRY_VERIFY(m_client->processId() == 0);
    QVERIFY(processGone(service));
}

TestConverterService::Result
TestConverterService::convert(const ConvertRequest &request,
                              const std::function<void(qint64, quint32)> &whileRunning)
{
    if (!whileRunning)
        return answerOf(*m_client, request);
    return answerOf(*m_client, request, [&](quint32 id) {
        whileRunning(waitForChild(m_client->processId()), id);
    });
}

qint64 TestConverterService::waitForChild(qint64 service)
{
    QList<qint64> children;
    for (int tries = 0; tries < 500 && children.isEmpty(); ++tries) {
        QTest::qWait(10);
        children = childrenOf(service);
    }
    return children.value(0, 0);
}

void TestConverterService::sameTextAsPdftotext_data()
{
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("firstPage");
    QTest::addColumn<int>("lastPage");

    QFile manifest(fixtures::corpusFile(QStringLiteral("MANIFEST.tsv")));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        // Without the corpus there is nothing to compare: the one row says so and is skipped.
        QTest::newRow("no corpus") << QString() << QString() << 0 << 0;
        return;
    }
    QTextStream lines(&manifest);
    lines.readLine();
    bool wrongPasswordRowAdded = false;
    while (!lines.atEnd()) {
        const QStringList fields = lines.readLine().split(u'\t');
        if (fields.size() < 5)
            continue;
        const QString &name = fields[0];
        const QString password = !fields[3].isEmpty() ? fields[3] : fields[4];
        const QString pdf = fixtures::corpusFile(name);
        const QByteArray tag = name.left(40).toUtf8();
        QTest::newRow(tag + " | all pages") << pdf << password << 0 << 0;
        QTest::newRow(tag + " | pages 1-100") << pdf << password << 1 << 100;
        if (!fields[3].isEmpty()) {
            QTest::newRow(tag + " | no password") << pdf << QString() << 0 << 0;
            if (!wrongPasswordRowAdded)
                QTest::newRow(tag + " | wrong password") << pdf << QStringLiteral("nope") << 0 << 0;
            wrongPasswordRowAdded = true;
        }
    }
}

// The service's text, exit code and reason against pdftotext's own run on the same file.
void TestConverterService::sameTextAsPdftotext()
{
    QFETCH(QString, pdf);
    QFETCH(QString, password);
    QFETCH(int, firstPage);
    QFETCH(int, lastPage);
    if (pdf.isEmpty())
        QSKIP("the corpus is not beside the project");

    const ReferenceRun reference = runPdftotext(pdf, password, firstPage, lastPage,
                                                m_dir.filePath(QStringLiteral("reference.txt")));
    ConvertRequest request = requestFor(pdf, password);
    request.firstPage = firstPage;
    request.lastPage = lastPage;
    const Result service = convert(request);
    const Outcome &outcome = service.outcome;

    const QByteArray evidence =
        "pdftotext said: " + reference.errors.left(400) +
        "\nservice said: " + QByteArray::fromStdString(outcome.diagnostics).left(400);
    QVERIFY2(outcome.exitCode == reference.exitCode, evidence.constData());
    QCOMPARE(outcome.textBytes, quint64(service.text.size()));
    if (reference.exitCode == 0) {
        QCOMPARE(outcome.kind, OutcomeKind::Converted);
        QVERIFY2(service.text == reference.text, evidence.constData());
    } else {
        QVERIFY(service.text.isEmpty());
    }
    if (reference.exitCode == 1) {
        const bool passwordRefused = reference.errors.contains("Incorrect password");
        const OutcomeKind expected = !passwordRefused     ? OutcomeKind::Damaged
                                     : password.isEmpty() ? OutcomeKind::NeedsPassword
                                                          : OutcomeKind::WrongPassword;
        QVERIFY2(outcome.kind == expected ||
                     (expected == OutcomeKind::Damaged && outcome.kind == OutcomeKind::CannotOpen),
                 evidence.constData());
    }
    if (reference.exitCode == 99)
        QCOMPARE(outcome.kind, OutcomeKind::PageRange);
}

void TestConverterService::textIntoFile_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<OutcomeKind>("kind");
    QTest::addColumn<int>("systemError");

    QTest::newRow("a new file") << m_dir.filePath(QStringLiteral("into.txt"))
                                << OutcomeKind::Converted << 0;
    QTest::newRow("a folder that is not there")
        << m_dir.filePath(QStringLiteral("missing/into.txt")) << OutcomeKind::WriteFailed << ENOENT;
    QTest::newRow("a full device")
        << QStringLiteral("/dev/full") << OutcomeKind::WriteFailed << ENOSPC;
}

// The child writes the text itself; a write that fails is a failure with the system's reason,
// never a conversion.
void TestConverterService::textIntoFile()
{
    QFETCH(QString, output);
    QFETCH(OutcomeKind, kind);
    QFETCH(int, systemError);

    ConvertRequest request = requestFor(m_textPdf);
    request.target = serviceprotocol::OutputTarget::File;
    request.outputPath = ConverterServiceClient::pathBytes(output);
    const Result result = convert(request);
    QVERIFY(result.text.isEmpty());
    QCOMPARE(result.outcome.kind, kind);
    QCOMPARE(result.outcome.systemError, systemError);
    if (kind == OutcomeKind::Converted) {
        QFile written(output);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), fixtures::convertDirectly(m_textPdf));
        QCOMPARE(result.outcome.exitCode, 0);
        QCOMPARE(result.outcome.textBytes, quint64(written.size()));
    } else {
        QCOMPARE(result.outcome.exitCode, 2);
    }
}

void TestConverterService::failingChildLeavesServiceServing_data()
{
    QTest::addColumn<QString>("hostile");
    QTest::addColumn<int>("idleLimitMs");
    QTest::addColumn<bool>("limitMemory");
    QTest::addColumn<int>("signalFromOutside");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<OutcomeKind>("kind");

    QTest::newRow("crash") << QStringLiteral("hang") << 0 << false << int(SIGSEGV) << false
                           << OutcomeKind::Crashed;
    QTest::newRow("killed from outside")
        << QStringLiteral("hang") << 0 << false << int(SIGKILL) << false << OutcomeKind::Crashed;
    QTest::newRow("hang") << QStringLiteral("hang") << 1500 << false << 0 << false
                          << OutcomeKind::TimeLimit;
    QTest::newRow("memory bomb") << QStringLiteral("bomb") << 0 << true << 0 << false
                                 << OutcomeKind::MemoryLimit;
    QTest::newRow("cancelled") << QStringLiteral("hang") << 0 << false << 0 << true
                               << OutcomeKind::Cancelled;
}

void TestConverterService::failingChildLeavesServiceServing()
{
    QFETCH(QString, hostile);
    QFETCH(int, idleLimitMs);
    QFETCH(bool, limitMemory);
    QFETCH(int, signalFromOutside);
    QFETCH(bool, cancel);
    QFETCH(OutcomeKind, kind);

    const qint64 service = m_client->processId();
    ConvertRequest request = requestFor(hostile == u"hang" ? m_hangPdf : m_bombPdf, HiddenPassword);
    request.idleLimitMs = static_cast<quint32>(idleLimitMs);
    // 64 MB more than the service has mapped already, for the page's text.
    if (limitMemory)
        request.memoryLimit = 64 * 1024 * 1024;
    qint64 child = 0;
    QElapsedTimer clock;
    clock.start();
    const Result failed = convert(request, [&](qint64 running, quint32 id) {
        child = running;
        QVERIFY(running != 0);
        QVERIFY2(commandLinesShowing(HiddenPassword.toUtf8()).isEmpty(),
                 commandLinesShowing(HiddenPassword.toUtf8()).join(' ').constData());
        if (signalFromOutside != 0)
            ::kill(static_cast<pid_t>(running), signalFromOutside);
        if (cancel)
            m_client->cancel(id);
    });
    QVERIFY(child != 0);
    QVERIFY2(failed.outcome.kind == kind,
             qPrintable(QStringLiteral("kind %1, exit code %2, signal %3: %4")
                            .arg(int(failed.outcome.kind))
                            .arg(failed.outcome.exitCode)
                            .arg(failed.outcome.signal)
                            .arg(QString::fromStdString(failed.outcome.diagnostics).left(300))));
    if (signalFromOutside != 0)
        QCOMPARE(failed.outcome.signal, signalFromOutside);
    if (kind == OutcomeKind::TimeLimit)
        QVERIFY2(clock.elapsed() < 30000, "the time limit stopped the child late");
    if (kind == OutcomeKind::MemoryLimit)
        QCOMPARE(failed.outcome.memoryLimitPage, 1);
    QTRY_VERIFY(processGone(child));

    // The same service converts the next file as if nothing happened.
    QCOMPARE(m_client->processId(), service);
    const Result next = convert(requestFor(m_textPdf));
    QCOMPARE(next.outcome.kind, OutcomeKind::Converted);
    QCOMPARE(next.text, fixtures::convertDirectly(m_textPdf));
}

void TestConverterService::requestsAtTheEdges_data()
{
    QTest::addColumn<QByteArray>("pathTail"); // appended to the text PDF's path
    QTest::addColumn<quint64>("memoryLimit");
    QTest::addColumn<OutcomeKind>("kind");
    QTest::addColumn<int>("systemError");
    QTest::newRow("a NUL byte in the path")
        << QByteArray("\0.ignored", 9) << quint64(0) << OutcomeKind::CannotOpen << EINVAL;
    QTest::newRow("the largest memory limit")
        << QByteArray() << std::numeric_limits<quint64>::max() << OutcomeKind::Converted << 0;
    QTest::newRow("a memory limit just short of wrapping")
        << QByteArray() << std::numeric_limits<quint64>::max() - 4096 << OutcomeKind::Converted
        << 0;
}

// A path the system would read only up to its NUL byte names another file: refused. A memory
// limit too large to add the service's own size to is no limit, not a tiny one.
void TestConverterService::requestsAtTheEdges()
{
    QFETCH(QByteArray, pathTail);
    QFETCH(quint64, memoryLimit);
    QFETCH(OutcomeKind, kind);
    QFETCH(int, systemError);
    ConvertRequest request = requestFor(m_textPdf);
    request.pdfPath += pathTail.toStdString();
    request.memoryLimit = memoryLimit;
    const Result result = convert(request);
    QCOMPARE(result.outcome.kind, kind);
    QCOMPARE(result.outcome.systemError, systemError);
    if (kind == OutcomeKind::Converted)
        QCOMPARE(result.text, fixtures::convertDirectly(m_textPdf));
    else
        QVERIFY(result.text.isEmpty());
}

void TestConverterService::requestsEndWhenServiceCannotServe_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("no such program") << m_dir.filePath(QStringLiteral("missing"));
    QTest::newRow("a program that is no service") << QStringLiteral("/bin/true");
}

// A service that cannot start or ends at once is told, and no request waits for it for ever.
void TestConverterService::requestsEndWhenServiceCannotServe()
{
    QFETCH(QString, program);
    ConverterServiceClient client(program);
    QSignalSpy failed(&client, &ConverterServiceClient::failed);
    QSignalSpy finished(&client, &ConverterServiceClient::finished);
    const quint32 id = client.convert(requestFor(m_textPdf));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toUInt(), id);
    QCOMPARE(finished.first().last().value<Outcome>().kind, OutcomeKind::ServiceLost);
    QCOMPARE(failed.size(), 1);
    QVERIFY(!client.isReady());
}

void TestConverterService::nothingOutlivesItsParent_data()
{
    QTest::addColumn<bool>("killParent");
    QTest::newRow("parent killed") << true;
    QTest::newRow("input closed") << false;
}

// A program using the service is killed, or closes the service's input, in the middle of a
// conversion: the service and its child end too.
void TestConverterService::nothingOutlivesItsParent()
{
    QFETCH(bool, killParent);

    QProcess parent;
    parent.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--act-as-parent"), m_openHangPdf, killParent ? "wait" : "close"});
    QVERIFY(parent.waitForReadyRead(30000));
    const qint64 service = parent.readLine().trimmed().toLongLong();
    QVERIFY(service > 0);
    const qint64 child = waitForChild(service);
    QVERIFY(child != 0);
    QTest::qWait(200);
    QVERIFY2(!processGone(child), "the child should still be converting");
    if (killParent) {
        ::kill(static_cast<pid_t>(parent.processId()), SIGKILL);
        parent.waitForFinished(5000);
    } else {
        QVERIFY(parent.waitForFinished(10000));
        QCOMPARE(parent.exitCode(), 0);
    }
    QTRY_VERIFY_WITH_TIMEOUT(processGone(service), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(processGone(child), 10000);
}

// The time limit on a clock the test moves: the page count told after opening is no progress, so
// a one-page file that opens slowly is stopped at the limit counted from its request; each page
// done and each piece of text restarts it.
void TestConverterService::idleLimitCountsFromTheLastPageDone()
{
    using namespace std::chrono_literals;
    IdleDeadline::Clock::time_point now{};
    IdleDeadline deadline(10s, [&now] { return now; });
    QCOMPARE(deadline.due(), now + 10s);
    now += 6s;
    deadline.pagesDone(0); // the count at opening
    QCOMPARE(deadline.due(), IdleDeadline::Clock::time_point{} + 10s);
    QVERIFY(!deadline.passed());
    now += 4s;
    QVERIFY(deadline.passed());

    IdleDeadline pages(10s, [&now] { return now; });
    now += 9s;
    pages.pagesDone(1); // the first page is progress
    QCOMPARE(pages.due(), now + 10s);
    now += 9s;
    QVERIFY(!pages.passed());
    pages.textArrived();
    QCOMPARE(pages.due(), now + 10s);
    now += 9s;
    QVERIFY(!pages.passed());
    now += 1s;
    QVERIFY(pages.passed());
    pages.clear();
    QVERIFY(!pages.passed() && !pages.due());
    pages.textArrived(); // a cleared deadline stays cleared
    QVERIFY(!pages.due());

    IdleDeadline none(0s, [&now] { return now; });
    QVERIFY(!none.due());
    none.pagesDone(3);
    now += 1000h;
    QVERIFY(!none.passed() && !none.due());
}

void TestConverterService::unreadPagesAreNumberedAsPdftotextNumbersThem_data()
{
    QTest::addColumn<int>("pages");   // pages the file holds
    QTest::addColumn<int>("claimed"); // pages its page tree claims
    QTest::addColumn<QList<int>>("missing");
    QTest::addColumn<int>("firstPage");
    QTest::addColumn<int>("lastPage");
    QTest::newRow("missing entries move the pages after them down")
        << 10 << 12 << QList<int>{3, 5} << 0 << 0;
    QTest::newRow("a range past the missing entry") << 10 << 12 << QList<int>{3} << 5 << 12;
    QTest::newRow("a range before the unread pages") << 10 << 12 << QList<int>{3} << 2 << 6;
    QTest::newRow("a range over the claimed pages") << 60 << 70 << QList<int>{3} << 40 << 70;
}

// The pages the service names as unread are those pdftotext, asked for one page at a time with
// -f and -l, gives no text for, within the range asked for; and the text is pdftotext's.
void TestConverterService::unreadPagesAreNumberedAsPdftotextNumbersThem()
{
    QFETCH(int, pages);
    QFETCH(int, claimed);
    QFETCH(QList<int>, missing);
    QFETCH(int, firstPage);
    QFETCH(int, lastPage);
    const QString pdf = m_dir.filePath(QStringLiteral("tree.pdf"));
    const QString out = m_dir.filePath(QStringLiteral("tree.txt"));
    fixtures::writePageTreePdf(pdf, pages, claimed, missing);
    QStringList unread;
    int count = 0;
    for (int page = std::max(1, firstPage); page <= (lastPage > 0 ? lastPage : claimed); ++page) {
        if (!runPdftotext(pdf, {}, page, page, out).text.isEmpty())
            continue;
        ++count;
        const QString previous = QString::number(page - 1);
        if (!unread.isEmpty() &&
            (unread.last() == previous || unread.last().endsWith(u'-' + previous)))
            unread.last() = unread.last().section(u'-', 0, 0) + u'-' + QString::number(page);
        else
            unread << QString::number(page);
    }
    ConvertRequest request = requestFor(pdf);
    request.firstPage = firstPage;
    request.lastPage = lastPage;
    const Result result = convert(request);
    QCOMPARE(result.outcome.kind, OutcomeKind::Converted);
    QCOMPARE(QString::fromStdString(result.outcome.unreadPages), unread.join(u','));
    QCOMPARE(result.outcome.pagesUnread, count);
    QCOMPARE(result.text, runPdftotext(pdf, {}, firstPage, lastPage, out).text);
}

void TestConverterService::aHugePictureIsNoCrash_data()
{
    QTest::addColumn<quint64>("memoryLimit");
    QTest::addColumn<OutcomeKind>("kind");
    QTest::newRow("no memory limit: drawn at a size that fits")
        << quint64(0) << OutcomeKind::Converted;
    QTest::newRow("too little memory to draw the page")
        << quint64(40 * 1024 * 1024) << OutcomeKind::MemoryLimit;
}

// A page that is one picture of 2^31 pixels, more than leptonica holds, is drawn by poppler at
// the reading's resolution; where even that does not fit, the memory limit names the page.
void TestConverterService::aHugePictureIsNoCrash()
{
#ifndef MORWENDA_OCR
    QSKIP("this build reads no page by OCR");
#endif
    QFETCH(quint64, memoryLimit);
    QFETCH(OutcomeKind, kind);
    const QString pdf = m_dir.filePath(QStringLiteral("huge.pdf"));
    fixtures::writeHugePicturePdf(pdf, 46341, 46341);
    ConvertRequest request = requestFor(pdf);
    request.ocrMode = serviceprotocol::OcrMode::Auto;
    request.memoryLimit = memoryLimit;
    const Result result = convert(request);
    QVERIFY2(result.outcome.kind == kind,
             qPrintable(QStringLiteral("kind %1, signal %2: %3")
                            .arg(int(result.outcome.kind))
                            .arg(result.outcome.signal)
                            .arg(QString::fromStdString(result.outcome.diagnostics).left(300))));
    QCOMPARE(result.outcome.memoryLimitPage, kind == OutcomeKind::MemoryLimit ? 1 : 0);
}

// The parent of the last test: starts a service on a conversion that never ends, says the
// service's process id, then waits to be killed ("wait") or closes the service's input and
// waits for it to end ("close").
static int actAsParent(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return 2;
    ConverterServiceClient client(QStringLiteral(MORWENDA_BINARY));
    const bool close = qstrcmp(argv[3], "close") == 0;
    QObject::connect(&client, &ConverterServiceClient::ready, [&] {
        QTextStream(stdout) << client.processId() << Qt::endl;
        if (close)
            QTimer::singleShot(500, [&] { client.stop(); });
    });
    QObject::connect(&client, &ConverterServiceClient::finished, &app, [&] { app.quit(); });
    client.convert(requestFor(QString::fromLocal8Bit(argv[2])));
    return app.exec();
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--act-as-parent") == 0)
        return actAsParent(argc, argv);
    // The text fixtures are written with Qt's PDF writer, which needs the Gui application.
    QGuiApplication app(argc, argv);
    TestConverterService test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_converterservice.moc"
