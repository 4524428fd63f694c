#include "app/ErrorReport.h"
#include "app/PointerState.h"
#include "filelist/FileListHandlers.h"
#include "ListTesting.h"
#include "platform/Failure.h"
#include "WindowFixture.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace listtesting;

namespace {

const QString Existing = QStringLiteral("/earlier/kept.pdf");

void clickAdd(WindowContext &ctx)
{
    QTest::mouseClick(ctx.PushButton1, Qt::LeftButton);
}

// The patterns of the one filter the dialog was given: "Name (*.a *.b)".
QStringList filterPatterns(const QString &filter)
{
    static const QRegularExpression entry(QStringLiteral(R"(^[^()|]+\(([^()]+)\)$)"));
    const QRegularExpressionMatch match = entry.match(filter);
    if (!match.hasMatch())
        return {};
    return match.captured(1).split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestAddDialog : public QObject
{
    Q_OBJECT

private slots:
    void addsTheChosenFiles_data();
    void addsTheChosenFiles();
    void sameFileInTwoClicksIsListedTwice();
    void cancelAddsNothing();
    void tooManyFiles();
    void otherFailuresAreReported();
    void busyWindowStillAddsAndShowsNoHourglass();
    void filterAdmitsPdfInEveryLetterCase_data();
    void filterAdmitsPdfInEveryLetterCase();
};

void TestAddDialog::addsTheChosenFiles_data()
{
    QTest::addColumn<QStringList>("chosen");
    QTest::addColumn<QStringList>("added");
    QTest::newRow("one file") << QStringList{"/docs/a.pdf"} << QStringList{"/docs/a.pdf"};
    // A single path is appended as the dialog gave it, doubled separators and all.
    QTest::newRow("one file, kept unchanged")
        << QStringList{"//docs//a.pdf"} << QStringList{"//docs//a.pdf"};
    QTest::newRow("several, in the dialog's order")
        << QStringList{"/docs/b.pdf", "/docs/a.pdf", "/docs/c.PDF"}
        << QStringList{"/docs/b.pdf", "/docs/a.pdf", "/docs/c.PDF"};
    QTest::newRow("several in the root folder")
        << QStringList{"//a.pdf", "//b.pdf"} << QStringList{"/a.pdf", "/b.pdf"};
    QTest::newRow("several with doubled separators")
        << QStringList{"/home//x/a.pdf", "/home/x//b.pdf"}
        << QStringList{"/home/x/a.pdf", "/home/x/b.pdf"};
    QTest::newRow("several of one name")
        << QStringList{"/d/a.pdf", "/d/a.pdf"} << QStringList{"/d/a.pdf", "/d/a.pdf"};
    QTest::newRow("names of any extension the dialog returns")
        << QStringList{"/d/notes.txt", "/d/scan"} << QStringList{"/d/notes.txt", "/d/scan"};
}

void TestAddDialog::addsTheChosenFiles()
{
    QFETCH(QStringList, chosen);
    QFETCH(QStringList, added);
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, {Existing});
    fx.services.expectFiles(chosen);
    clickAdd(ctx);
    QCOMPARE(rows(ctx), QStringList{Existing} + added);
    const QList<FakeServices::Box> boxes = fx.services.boxes();
    QVERIFY2(boxes.size() == 1, qPrintable(fx.services.describeBoxes()));
    QCOMPARE(boxes.front().kind, FakeServices::Kind::OpenFiles);
    QCOMPARE(boxes.front().title,
             QStringLiteral("Add File(s) - Use Ctrl & Shift to select multiple files"));
}

void TestAddDialog::sameFileInTwoClicksIsListedTwice()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    const QString file = QStringLiteral("/docs/a.pdf");
    fx.services.expectFiles({file});
    fx.services.expectFiles({file});
    clickAdd(ctx);
    clickAdd(ctx);
    QCOMPARE(rows(ctx), (QStringList{file, file}));
    QCOMPARE(fx.services.pending(), 0);
}

void TestAddDialog::cancelAddsNothing()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, {Existing});
    fx.services.expectFiles({});
    clickAdd(ctx);
    QCOMPARE(rows(ctx), QStringList{Existing});
    QVERIFY2(fx.services.boxes().size() == 1, qPrintable(fx.services.describeBoxes()));
}

void TestAddDialog::tooManyFiles()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, {Existing});
    fx.services.expectTooManyFiles();
    fx.services.expectMessage();
    clickAdd(ctx);
    QCOMPARE(rows(ctx), QStringList{Existing});
    const QList<FakeServices::Box> boxes = fx.services.boxes();
    QVERIFY2(boxes.size() == 2, qPrintable(fx.services.describeBoxes()));
    const FakeServices::Box &box = boxes.at(1);
    QCOMPARE(box.kind, FakeServices::Kind::Message);
    QCOMPARE(box.title, ctx.applicationTitle);
    QVERIFY(!box.title.isEmpty());
    QCOMPARE(box.text, QStringLiteral("You've selected too many files to add.\r\r"
                                      "Please try adding via the \"Add All\" button."));
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.icon, MessageIcon::NoIcon);
}

void TestAddDialog::otherFailuresAreReported()
{
    WindowFixture fx;
    fx.open();
    WindowContext &ctx = fx.ctx();
    fill(ctx, {Existing});
    fx.services.expectFiles({QStringLiteral("/never/added.pdf")}, [](const FakeServices::Box &) {
        throw Failure(QStringLiteral("Device unavailable"));
    });
    fx.services.expectMessage();
    clickAdd(ctx);
    QCOMPARE(rows(ctx), QStringList{Existing});
    const QList<FakeServices::Box> boxes = fx.services.boxes();
    QVERIFY2(boxes.size() == 2, qPrintable(fx.services.describeBoxes()));
    QCOMPARE(boxes.at(1).title, QString::fromUtf16(errorreport::Title));
    QCOMPARE(boxes.at(1).text,
             errorreport::message(tags::AddFiles, 100, QStringLiteral("Device unavailable")));
    QCOMPARE(boxes.at(1).text.left(56),
             QStringLiteral("Device unavailable\r\nin Halvoren2021/08/31.Form1.PushButt"));

    // The next click works as before.
    fx.services.expectFiles({QStringLiteral("/d/a.pdf")});
    clickAdd(ctx);
    QCOMPARE(rows(ctx), (QStringList{Existing, QStringLiteral("/d/a.pdf")}));
}

void TestAddDialog::busyWindowStillAddsAndShowsNoHourglass()
{
    for (int pointer : {int(PointerState::Busy), int(PointerState::Default)}) {
        WindowFixture fx;
        MainWindow &window = fx.open();
        WindowContext &ctx = fx.ctx();
        ctx.pointer->set(pointer);
        QList<int> seen;
        fx.services.expectFiles(
            {QStringLiteral("/d/a.pdf"), QStringLiteral("/d/b.pdf")},
            [&](const FakeServices::Box &) { seen.append(window.mousePointer()); });
        ctx.PushButton1->click();
        QCOMPARE(rows(ctx), (QStringList{QStringLiteral("/d/a.pdf"), QStringLiteral("/d/b.pdf")}));
        QCOMPARE(seen, QList<int>{pointer});
        QCOMPARE(window.mousePointer(), pointer);
    }
}

void TestAddDialog::filterAdmitsPdfInEveryLetterCase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("admitted");
    for (const char *name : {"a.pdf", "a.PDF", "a.Pdf", "b.pDf", "c.pdF", "d.PdF", "e.pDF", "f.PDf",
                             "report.final.pdf", ".pdf"})
        QTest::newRow(name) << QString::fromLatin1(name) << true;
    for (const char *name : {"a.txt", "a.pdf.txt", "pdf", "a.pdfx", "a.ps", "apdf"})
        QTest::newRow(name) << QString::fromLatin1(name) << false;
}

void TestAddDialog::filterAdmitsPdfInEveryLetterCase()
{
    QFETCH(QString, name);
    QFETCH(bool, admitted);
    WindowFixture fx;
    fx.open();
    fx.services.expectFiles({});
    clickAdd(fx.ctx());
    QVERIFY2(fx.services.boxes().size() == 1, qPrintable(fx.services.describeBoxes()));
    const QString filter = fx.services.boxes().front().text;
    QVERIFY2(filter.startsWith(QStringLiteral("PDF Files (")), qPrintable(filter));
    const QStringList patterns = filterPatterns(filter);
    QVERIFY2(!patterns.isEmpty(), qPrintable(filter));
    bool matched = false;
    for (const QString &pattern : patterns) {
        // Case-sensitive, as the dialog matches on Linux.
        const QRegularExpression rx(QRegularExpression::wildcardToRegularExpression(pattern));
        matched = matched || rx.match(name).hasMatch();
    }
    QVERIFY2(matched == admitted, qPrintable(filter));
}

QTEST_MAIN(TestAddDialog)
#include "tst_adddialog.moc"
