// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/FolderScanController.h"
#include "filelist/SampleFilesController.h"
#include "ListTesting.h"
#include "platform/SettingKeys.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>

namespace {

void makeFiles(const QString &root, const QStringList &relativePaths)
{
    for (const QString &relative : relativePaths) {
        const QString path = root + u'/' + relative;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

// The files of a tree the walk reaches, level by level and each folder in the order the system
// lists it, kept when their path below `root` is one of `wanted`.
QStringList levelByLevel(const QString &root, const QStringList &wanted)
{
    QStringList found;
    QStringList folders{root};
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const QDir folder(folders.at(i));
        const QFileInfoList entries = folder.entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QFileInfo &entry : entries) {
            if (entry.isDir() && !entry.fileName().startsWith(u'.'))
                folders.append(entry.filePath());
            else if (entry.isFile() &&
                     wanted.contains(QDir(root).relativeFilePath(entry.filePath())))
                found.append(entry.filePath());
        }
    }
    return found;
}

const QStringList ScanTree = {"a.pdf",     "b.PDF",          "c.txt",        "d..pdf",
                              "~e.pdf",    ".f.pdf",         "one/g.pdf",    "one/h.txt",
                              "two/i.pdf", "one/deep/j.pdf", ".hidden/k.pdf"};

} // namespace

// Adding by the folder scan button, by dropping onto the list, from the samples and from the
// command line, each through the real window.
class TestAddingFolders : public QObject
{
    Q_OBJECT

private slots:
    void scanButton_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("folderAnswer");
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QString>("storedExtension");
        QTest::newRow("pdf, every letter case, level by level")
            << "pdf"
            << "tree"
            << QStringList{"a.pdf", "b.PDF", "d..pdf", "one/g.pdf", "two/i.pdf", "one/deep/j.pdf"}
            << "pdf";
        QTest::newRow("* for every file")
            << "*"
            << "tree" << QStringList{"a.pdf",     "b.PDF",     "c.txt",     "d..pdf",
                                     "one/g.pdf", "one/h.txt", "two/i.pdf", "one/deep/j.pdf"}
            << "*";
        QTest::newRow("a leading dot is kept") << ".pdf"
                                               << "tree" << QStringList{"d..pdf"} << ".pdf";
        QTest::newRow("empty answer") << ""
                                      << "" << QStringList{} << "doc";
        QTest::newRow("folder chooser cancelled") << "pdf"
                                                  << "" << QStringList{} << "pdf";
    }

    // The extension box is preset from the store; a non-empty answer is stored before the folder
    // is chosen; the chooser starts at the last folder, which the choice replaces; the rows come
    // under the hourglass.
    void scanButton()
    {
        QFETCH(QString, answer);
        QFETCH(QString, folderAnswer);
        QFETCH(QStringList, added);
        QFETCH(QString, storedExtension);
        WindowFixture fx;
        const QString tree = fx.place.path("tree");
        makeFiles(tree, ScanTree);
        const QString earlier = fx.place.path("earlier");
        fx.settings.saveSetting(settingkeys::Extension, "doc");
        fx.settings.saveSetting(settingkeys::LastFolder, earlier);
        WindowControls &ui = openWith(fx, {"/kept.pdf"});
        QSignalSpy pointer(ui.window, &MainWindow::mousePointerChanged);
        const bool answered = !answer.isEmpty();
        fx.services.expectInput(answer);
        if (answered)
            fx.services.expectFolder(folderAnswer.isEmpty() ? QString() : tree);

        // An event that waits for the window runs during the walk, under the hourglass.
        int pointerDuringWalk = -1;
        QTimer::singleShot(0, ui.window, [&] { pointerDuringWalk = ui.pointer->value(); });

        ui.addFolderButton->click();

        const QList<FakeServices::Box> boxes = fx.services.takeBoxes();
        QCOMPARE(boxes.size(), answered ? 2 : 1);
        QCOMPARE(boxes[0].text, "Enter file extension to load:\r\r(* for all files, txt for all "
                                "txt files, doc for all doc files, etc.)");
        QCOMPARE(boxes[0].title, ui.window->boxes().title());
        QCOMPARE(boxes[0].preset, "doc");
        if (answered) {
            QCOMPARE(boxes[1].kind, FakeServices::Kind::Folder);
            QCOMPARE(boxes[1].title, "Please select folder:");
            QCOMPARE(boxes[1].preset, earlier);
        }
        QCOMPARE(fx.settings.getSetting(settingkeys::Extension, "absent"), storedExtension);
        const bool scanned = !folderAnswer.isEmpty();
        QCOMPARE(fx.settings.getSetting(settingkeys::LastFolder, "absent"),
                 scanned ? tree : earlier);
        QCOMPARE(ui.fileRows->texts(), QStringList{"/kept.pdf"} + levelByLevel(tree, added));
        QCOMPARE(ui.fileRows->count(), 1 + added.size());
        QCOMPARE(pointer.count(), scanned ? 2 : 0);
        if (scanned) {
            QCOMPARE(pointer.at(0).at(0).toInt(), int(PointerState::Busy));
            QCOMPARE(pointerDuringWalk, int(PointerState::Busy));
        }
        QCOMPARE(ui.pointer->value(), int(PointerState::Default));
    }

    void drop_data()
    {
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("added");
        const QStringList docs = {"docs/a.pdf", "docs/notes.txt", "docs/sub/b.pdf"};
        const QStringList other = {"other/c.pdf"};
        QTest::newRow("a file and a folder")
            << QStringList{"loose.txt", "docs"} << QStringList{"loose.txt"} + docs;
        QTest::newRow("two folders") << QStringList{"other", "docs"} << other + docs;
        QTest::newRow("a dot-named folder, as itself")
            << QStringList{".stash", "loose.txt"} << QStringList{".stash", "loose.txt"};
    }

    // A file is listed as dropped, whatever its extension; a folder is walked with every
    // extension and the scan's rule; a dot-named folder is one row; the drop data's order holds.
    void drop()
    {
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, added);
        WindowFixture fx;
        const QString root = fx.place.path("drag");
        makeFiles(root, {"loose.txt", "docs/a.pdf", "docs/notes.txt", "docs/~lock.pdf",
                         "docs/.hidden.pdf", "docs/sub/b.pdf", "other/c.pdf", ".stash/d.pdf"});
        WindowControls &ui = openWith(fx, {});
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &item : dropped)
            urls.append(QUrl::fromLocalFile(root + u'/' + item));
        data.setUrls(urls);

        QVERIFY(dragAndDrop(ui, data));

        // Folders are listed in the system's order: the expected rows of each folder in that order.
        QStringList expected;
        for (const QString &item : dropped) {
            const QString path = root + u'/' + item;
            if (QFileInfo(path).isDir() && !item.startsWith(u'.')) {
                QStringList inside;
                for (const QString &row : added) {
                    if (row.startsWith(item + u'/'))
                        inside.append(row.mid(item.size() + 1));
                }
                expected.append(levelByLevel(path, inside));
            } else {
                expected.append(path);
            }
        }
        QCOMPARE(expected.size(), added.size());
        QTRY_COMPARE(ui.fileRows->texts(), expected);
        VERIFY_NO_BOXES(fx);
    }

    void refusedDrag_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<QString>("text");
        QTest::newRow("text only") << QList<QUrl>{} << "some words";
        QTest::newRow("remote addresses")
            << QList<QUrl>{QUrl("https://example.org/a.pdf"), QUrl("sftp://host/b.pdf")}
            << QString();
    }

    // A drag without a local file is not taken: the pointer shows that nothing can be dropped.
    void refusedDrag()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(QString, text);
        WindowFixture fx;
        WindowControls &ui = openWith(fx, {"/kept.pdf"});
        QMimeData data;
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (!text.isEmpty())
            data.setText(text);
        QVERIFY(!dragAndDrop(ui, data));
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(ui.fileList->viewport(), &drop);
        QCoreApplication::processEvents();
        QCOMPARE(ui.fileRows->texts(), QStringList{"/kept.pdf"});
    }

    // Each click appends the sample PDFs not listed yet, in listing order, and asks whether to
    // open their folder; Yes opens it. Text files a conversion left there are not samples.
    void samplesThreeClicks()
    {
        WindowFixture fx;
        const QString samples = fx.place.installFolder() + QStringLiteral("/Samples");
        makeFiles(samples, {"one.pdf", "two.pdf", "three.pdf", "one.txt"});
        WindowControls &ui = openWith(fx, {"/kept.pdf"});
        QStringList listed;
        for (const QString &name : QDir(samples).entryList({"*.pdf"}, QDir::Files, QDir::Unsorted))
            listed.append(samples + u'/' + name);
        const QString question = SampleFilesController::openFolderQuestion();
        QCOMPARE(question, "Would you like this software to open the folder where these sample "
                           "files are stored (so that you can view them before working with "
                           "them)?");

        fx.services.expectMessage(MessageAnswer::No);
        ui.samplesButton->click();
        QCOMPARE(ui.fileRows->texts(), QStringList{"/kept.pdf"} + listed);

        fx.services.expectMessage(MessageAnswer::Yes);
        fx.services.expectOpenFolder();
        ui.samplesButton->click();
        QCOMPARE(ui.fileRows->count(), 4);

        ui.fileRows->removeAt(2);
        fx.services.expectMessage(MessageAnswer::No);
        ui.samplesButton->click();
        QCOMPARE(ui.fileRows->texts(), (QStringList{"/kept.pdf", listed[0], listed[2], listed[1]}));

        const QList<FakeServices::Box> boxes = fx.services.takeBoxes();
        QCOMPARE(boxes.size(), 4);
        for (int i : {0, 1, 3}) {
            QCOMPARE(boxes[i].kind, FakeServices::Kind::Message);
            QCOMPARE(boxes[i].text, question);
            QCOMPARE(boxes[i].buttons, MessageButtons::YesNo);
            QCOMPARE(boxes[i].icon, MessageIcon::NoIcon);
            QCOMPARE(boxes[i].title, ui.window->boxes().title());
        }
        QCOMPARE(boxes[2].kind, FakeServices::Kind::OpenFolder);
        QCOMPARE(boxes[2].text, samples + u'/');
    }

    // Files and folders named on the command line arrive after start-up in their order: a file
    // as given, a folder walked for its PDFs only (a dropped one gives every file, see drop);
    // without any, the list starts empty.
    void commandLineFiles()
    {
        WindowFixture fx;
        const QString root = fx.place.path("given");
        makeFiles(root,
                  {"first.txt", "folder/x.pdf", "folder/y.doc", "folder/in/z.PDF", "last.pdf"});
        fx.startFiles = {root + "/last.pdf", root + "/folder", root + "/first.txt"};
        WindowControls &ui = openWith(fx, {});
        QTRY_COMPARE(ui.fileRows->count(), 4);
        QCOMPARE(ui.fileRows->texts(),
                 QStringList{root + "/last.pdf"} +
                     levelByLevel(root + "/folder", {"x.pdf", "in/z.PDF"}) +
                     QStringList{root + "/first.txt"});
        VERIFY_NO_BOXES(fx);
    }
};

QTEST_MAIN(TestAddingFolders)
#include "tst_addingfolders.moc"
