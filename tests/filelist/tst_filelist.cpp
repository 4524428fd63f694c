// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListTesting.h"
#include "platform/Failure.h"

#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>

namespace {

const QStringList Three = {"/a/one.pdf", "/a/two.pdf", "/a/three.pdf"};
const QString Existing = "/earlier/kept.pdf";
constexpr int DoubleClick = 0;
constexpr int Selected = 0, Busy = 1, Unselected = 2, Empty = 3;

// Keys with their modifiers in the list, or a double-click on the middle row without the clicks
// before it (they would start a preview).
void gesture(WindowControls &ui, int keys)
{
    QWidget *viewport = ui.fileList->viewport();
    const QPoint at = ui.fileRows->count() ? rowCentre(ui, 1) : QPoint(10, 10);
    const QKeyCombination combination = QKeyCombination::fromCombined(keys);
    ui.fileList->setFocus();
    if (keys == DoubleClick) {
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    } else {
        QTest::keyClick(ui.fileList, combination.key(), combination.keyboardModifiers());
    }
}

} // namespace

class TestFileList : public QObject
{
    Q_OBJECT

private slots:
    void removal_data()
    {
        QTest::addColumn<int>("keys");
        QTest::addColumn<int>("setup");
        QTest::addColumn<bool>("removes");
        QTest::newRow("Delete") << int(Qt::Key_Delete) << Selected << true;
        QTest::newRow("Ctrl+Shift+Delete")
            << (Qt::CTRL | Qt::SHIFT | Qt::Key_Delete).toCombined() << Selected << true;
        QTest::newRow("double-click") << DoubleClick << Selected << true;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << Selected << false;
        // Key code 46: the full stop, not Delete.
        QTest::newRow("full stop") << int(Qt::Key_Period) << Selected << false;
        QTest::newRow("Delete while busy") << int(Qt::Key_Delete) << Busy << false;
        QTest::newRow("double-click while busy") << DoubleClick << Busy << false;
        QTest::newRow("Delete with nothing selected") << int(Qt::Key_Delete) << Unselected << false;
        QTest::newRow("double-click on an empty list") << DoubleClick << Empty << false;
    }

    // Unless told otherwise, the middle row is selected. One gesture removes one row, and no
    // neighbour is selected in its place.
    void removal()
    {
        QFETCH(int, keys);
        QFETCH(int, setup);
        QFETCH(bool, removes);
        WindowFixture fx;
        WindowControls &ui = openWith(fx, setup == Empty ? QStringList() : Three);
        const QStringList before = ui.fileRows->texts();
        if (setup == Selected || setup == Busy)
            ui.fileList->setCurrentIndex(ui.fileRows->index(1));
        if (setup == Busy)
            ui.pointer->set(PointerState::Busy);
        gesture(ui, keys);
        const QStringList after = removes ? QStringList{Three[0], Three[2]} : before;
        QCOMPARE(ui.fileRows->texts(), after);
        QCOMPARE(selectedRow(ui), removes || setup >= Unselected ? -1 : 1);
        gesture(ui, keys);
        QCOMPARE(ui.fileRows->texts(), after);
        VERIFY_NO_BOXES(fx);
    }

    void clearListKeepsThePreview()
    {
        WindowFixture fx;
        WindowControls &ui = openWith(fx, Three);
        ui.previewRows->appendAll({"first line"});
        ui.pointer->set(PointerState::Busy);
        QTest::mouseClick(ui.clearButton, Qt::LeftButton);
        QCOMPARE(ui.fileRows->texts(), Three);
        ui.pointer->set(PointerState::Default);
        QTest::mouseClick(ui.clearButton, Qt::LeftButton);
        QTest::mouseClick(ui.clearButton, Qt::LeftButton); // an empty list
        QCOMPARE(ui.fileRows->texts(), QStringList());
        QCOMPARE(ui.previewRows->texts(), QStringList{"first line"});
        VERIFY_NO_BOXES(fx);
    }

    // The column is as wide as the list: a long path neither widens it nor brings a scroll bar,
    // widening it by hand does.
    void columnWidensWithSidewaysScrolling()
    {
        WindowFixture fx;
        WindowControls &ui = openWith(fx, {"/" + QString(400, u'x') + ".pdf"});
        QTreeView *list = ui.fileList;
        QCoreApplication::processEvents();
        QCOMPARE(list->header()->sectionSize(0), list->viewport()->width());
        QVERIFY(!list->horizontalScrollBar()->isVisible());
        const int wider = 3 * list->viewport()->width();
        list->header()->resizeSection(0, wider);
        QTRY_VERIFY(list->horizontalScrollBar()->isVisible());
        QCOMPARE(list->horizontalScrollBar()->maximum(), wider - list->viewport()->width());
    }

    void containsComparesWholePathsExactly()
    {
        RowListModel list;
        const QString a = "/docs/a.pdf";
        QVERIFY(!list.contains(a));
        list.appendAll({"/Docs/A.PDF", "/docs/a.PDF", a + ".bak", "/docs//a.pdf"});
        QVERIFY(!list.contains(a));
        list.append(a);
        QVERIFY(list.contains(a));
    }

    void addByDialog_data()
    {
        QTest::addColumn<QList<QStringList>>("clicks");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QStringList>("added");
        QTest::newRow("one file, as given")
            << QList<QStringList>{{"//docs//a.pdf"}} << false << QStringList{"//docs//a.pdf"};
        // Several come as folder and name joined, which doubles the separator after the root.
        QTest::newRow("several, in order, separators undoubled")
            << QList<QStringList>{{"/d/b.pdf", "//a.pdf", "/home//x/c.PDF", "/d/b.pdf"}} << false
            << QStringList{"/d/b.pdf", "/a.pdf", "/home/x/c.PDF", "/d/b.pdf"};
        QTest::newRow("one file in two clicks, while busy")
            << QList<QStringList>{{"/d/a.pdf"}, {"/d/a.pdf"}} << true
            << QStringList{"/d/a.pdf", "/d/a.pdf"};
        QTest::newRow("cancelled") << QList<QStringList>{{}} << false << QStringList();
    }

    void addByDialog()
    {
        QFETCH(QList<QStringList>, clicks);
        QFETCH(bool, busy);
        QFETCH(QStringList, added);
        WindowFixture fx;
        WindowControls &ui = openWith(fx, {Existing});
        const int pointer = busy ? PointerState::Busy : PointerState::Default;
        ui.pointer->set(pointer);
        for (const QStringList &chosen : clicks) {
            fx.services.expectFiles(chosen);
            QTest::mouseClick(ui.addFilesButton, Qt::LeftButton);
        }
        QCOMPARE(ui.fileRows->texts(), QStringList{Existing} + added);
        QCOMPARE(fx.window().mousePointer(), pointer);
        QCOMPARE(fx.services.boxes().size(), clicks.size()); // nothing shown but the dialog
        QCOMPARE(fx.services.boxes().last().title,
                 "Add File(s) - Use Ctrl & Shift to select multiple files");
    }

    // Every letter case of ".pdf", matched case-sensitively as the dialog does on Linux.
    void filterAdmitsPdfInEveryLetterCase()
    {
        WindowFixture fx;
        fx.open();
        fx.services.expectFiles({});
        QTest::mouseClick(fx.ui().addFilesButton, Qt::LeftButton);
        const QString filter = fx.services.boxes().value(0).text;
        QVERIFY2(filter.startsWith("PDF Files (") && filter.endsWith(')'), qPrintable(filter));
        QStringList patterns;
        for (const QString &pattern : filter.sliced(11).chopped(1).split(u' '))
            patterns.append(QRegularExpression::wildcardToRegularExpression(pattern));
        const QRegularExpression admits(patterns.join(u'|')); // case-sensitive
        for (const char *name : {"a.pdf", "a.PDF", "a.Pdf", "a.pDf", "a.pdF", "a.PdF", "a.pDF",
                                 "a.PDf", "report.final.pdf"})
            QVERIFY2(admits.match(name).hasMatch(), name);
        for (const char *name : {"a.pdfx", "a.txt", "a.pdf.txt", "apdf"})
            QVERIFY2(!admits.match(name).hasMatch(), name);
    }

    void addFailures_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<MessageIcon>("icon");
        QTest::newRow("another failure")
            << QString::fromUtf16(errorreport::Title)
            << errorreport::message(tags::AddFiles, 100, "Device unavailable")
            << MessageIcon::Warning;
    }

    // The failure is reported and nothing is added.
    void addFailures()
    {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(MessageIcon, icon);
        WindowFixture fx;
        WindowControls &ui = openWith(fx, {Existing});
        fx.services.expectFiles({"/never/added.pdf"}, [](const FakeServices::Box &) {
            throw Failure(QStringLiteral("Device unavailable"));
        });
        fx.services.expectMessage();
        QTest::mouseClick(ui.addFilesButton, Qt::LeftButton);
        QCOMPARE(ui.fileRows->texts(), QStringList{Existing});
        QVERIFY2(fx.services.boxes().size() == 2, qPrintable(fx.services.describeBoxes()));
        const FakeServices::Box &box = fx.services.boxes().at(1);
        QCOMPARE(box.title, title);
        QCOMPARE(box.text, text);
        QCOMPARE(box.buttons, MessageButtons::Ok);
        QCOMPARE(box.icon, icon);
    }
};

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
