// SPDX-License-Identifier: GPL-3.0-or-later
// Scans a generated folder tree with the folder scan's walk and compares it with
// `find DIR -iname '*.pdf'` over the same tree in the same run; see README.md.

#include "engine/ConverterDeployment.h"
#include "platform/RowListModel.h"
#include "platform/SettingsStore.h"
#include "TestPlace.h"
#include "WindowControls.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Folders breadth-first with eight subfolders each, so the tree is five levels deep for 5,000
// folders; every folder holds the same number of files, a tenth of them PDFs, every fourth PDF
// with an upper-case extension. Returns the number of PDFs.
int makeTree(const QString &root, int fileCount, int folderCount)
{
    static const char *const others[] = {".txt",     ".docx", ".jpg",  ".odt", ".png",
                                         ".pdf.bak", ".xlsx", ".html", ".csv"};
    QStringList folders = {root};
    for (int at = 0; folders.size() < folderCount; ++at) {
        for (int child = 0; child < 8 && folders.size() < folderCount; ++child) {
            const QString folder =
                folders.at(at) + QStringLiteral("/folder %1-%2").arg(folders.size()).arg(child);
            if (!QDir().mkdir(folder))
                qFatal("cannot make %s", qPrintable(folder));
            folders.append(folder);
        }
    }
    int pdfs = 0;
    for (int i = 0; i < fileCount; ++i) {
        const QString &folder = folders.at(i % folderCount);
        QString name;
        if (i % 10 == 0) {
            name = QStringLiteral("report %1%2").arg(i).arg(pdfs % 4 == 0 ? ".PDF" : ".pdf");
            ++pdfs;
        } else {
            name = QStringLiteral("file %1%2").arg(i).arg(QLatin1String(others[i % 9]));
        }
        const int fd = ::open(QFile::encodeName(folder + u'/' + name).constData(),
                              O_CREAT | O_WRONLY | O_TRUNC, 0644);
        if (fd < 0)
            qFatal("cannot write in %s", qPrintable(folder));
        ::close(fd);
    }
    return pdfs;
}

QStringList findOutput(const QString &root)
{
    QProcess find;
    find.start(QStringLiteral("find"), {root, QStringLiteral("-iname"), QStringLiteral("*.pdf")});
    find.waitForFinished(-1);
    return QString::fromUtf8(find.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

double timeFind(const QString &root)
{
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    find.start(QStringLiteral("find"), {root, QStringLiteral("-iname"), QStringLiteral("*.pdf")});
    find.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e6;
}

// Answers the folder scan's two boxes as a user scanning the tree for PDFs would; any other box
// is printed and cancelled.
class ScanServices final : public Services
{
public:
    explicit ScanServices(QString folder) : m_folder(std::move(folder)) {}
    int otherBoxes = 0;

    MessageAnswer messageBox(QWidget *, const QString &, const QString &text, MessageButtons,
                             MessageIcon) override
    {
        ++otherBoxes;
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        return MessageAnswer::No;
    }
    QString inputBox(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QStringLiteral("pdf");
    }
    QString browseForFolder(QWidget *, const QString &, const QString &) override
    {
        return m_folder;
    }
    QStringList openFileNames(QWidget *, const QString &, const QString &) override
    {
        ++otherBoxes;
        return {};
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        ++otherBoxes;
        return {};
    }
    bool openFolder(const QString &) override
    {
        ++otherBoxes;
        return false;
    }
    PasswordAnswer passwordBox(QWidget *, const QString &, const QString &,
                               const QString &) override
    {
        ++otherBoxes;
        return {};
    }
    void notify(QWidget *, const QString &, const QString &) override {}

private:
    QString m_folder;
};

// One click on "Add All PDF File(s) In Folder" in the real window, the list emptied first;
// returns the milliseconds until the click returned.
double scanByButton(WindowControls &ui)
{
    ui.fileRows->clear();
    QElapsedTimer timer;
    timer.start();
    ui.addFolderButton->click();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int fileCount = arguments.value(1, QStringLiteral("100000")).toInt();
    const int folderCount = arguments.value(2, QStringLiteral("5000")).toInt();
    const int passes = arguments.value(3, QStringLiteral("5")).toInt();
    if (fileCount <= 0 || folderCount <= 0 || passes <= 0) {
        std::fprintf(stderr, "usage: bench_folderscan [files] [folders] [passes]\n");
        return 2;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("find")).isEmpty()) {
        std::fprintf(stderr, "find is not installed\n");
        return 2;
    }

    // Settings and the window's optional files in a place of their own.
    TestPlace place;
    QTemporaryDir treePlace;
    const QString root = treePlace.filePath(QStringLiteral("tree"));
    QDir().mkdir(root);
    QElapsedTimer timer;
    timer.start();
    const int pdfs = makeTree(root, fileCount, folderCount);
    std::printf("tree: %d files in %d folders, %d PDFs, made in %.1f s\n", fileCount, folderCount,
                pdfs, timer.elapsed() / 1000.0);

    SettingsStore settings;
    ScanServices services(root);
    ConverterDeployment deployment;
    MainWindow window(services, settings, deployment,
                      MainWindow::Options{place.installFolder(), [] {}, {}});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qWarning("the window was not exposed");
    WindowControls ui(window);
    const double peakBefore = peakMegabytes();

    // Both must find the same files before their times mean anything; this also warms the cache.
    scanByButton(ui);
    const QStringList rows = ui.fileRows->texts();
    const QStringList found = findOutput(root);
    const QSet<QString> rowSet(rows.begin(), rows.end());
    const QSet<QString> foundSet(found.begin(), found.end());
    if (rows.size() != pdfs || rowSet != foundSet || rowSet.size() != rows.size() ||
        services.otherBoxes != 0) {
        std::fprintf(stderr, "MISMATCH: window %lld rows, find %lld, %d PDFs made\n",
                     static_cast<long long>(rows.size()), static_cast<long long>(found.size()),
                     pdfs);
        return 1;
    }

    QList<double> scanMs, findMs;
    for (int pass = 0; pass < passes; ++pass) {
        findMs.append(timeFind(root));
        scanMs.append(scanByButton(ui));
        if (ui.fileRows->count() != rows.size())
            qFatal("the scan gave %d rows", ui.fileRows->count());
    }
    const double scanMedian = median(scanMs), findMedian = median(findMs);
    std::printf("scan:   %8.1f ms  (the window's button, %lld rows; median of %d)\n", scanMedian,
                static_cast<long long>(rows.size()), passes);
    std::printf("find:   %8.1f ms  (find DIR -iname '*.pdf', output to the null device)\n",
                findMedian);
    std::printf("ratio:  %8.2fx scan / find (target at most 1.5)\n", scanMedian / findMedian);

    // The found rows appended to the window's own list, its view showing them.
    QList<double> oneByOne, allAtOnce;
    for (int pass = 0; pass < passes; ++pass) {
        ui.fileRows->clear();
        timer.start();
        for (const QString &row : rows)
            ui.fileRows->append(row);
        oneByOne.append(timer.nsecsElapsed() / 1e6);
        ui.fileRows->clear();
        timer.start();
        ui.fileRows->appendAll(rows);
        allAtOnce.append(timer.nsecsElapsed() / 1e6);
    }
    QCoreApplication::processEvents();
    std::printf("append: %8.2f ms  %lld rows one at a time to the window's list; %.2f ms in one "
                "appendAll\n",
                median(oneByOne), static_cast<long long>(rows.size()), median(allAtOnce));
    std::printf("memory: peak %.1f MB with the window (%.1f MB before the scans)\n",
                peakMegabytes(), peakBefore);
    return 0;
}
