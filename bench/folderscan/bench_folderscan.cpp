// Scans a generated folder tree with the folder scan's walk and compares it with
// `find DIR -iname '*.pdf'` over the same tree in the same run; see README.md.

#include "filelist/FilePattern.h"
#include "filelist/FolderWalk.h"
#include "filelist/RowListModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

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

QStringList walk(const QString &root, int *folders = nullptr)
{
    int seen = 0;
    FolderWalk walk(
        [](const QString &tag, int line, const QString &description) {
            std::fprintf(stderr, "report: %s %s at line %d\n", qPrintable(description),
                         qPrintable(tag), line);
        },
        [&] {
            // What the window does once per folder.
            QCoreApplication::processEvents();
            ++seen;
        });
    const QStringList rows = walk.collect(root, FilePattern::forExtension(QStringLiteral("pdf")));
    if (folders)
        *folders = seen;
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
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

    QTemporaryDir place;
    const QString root = place.filePath(QStringLiteral("tree"));
    QDir().mkdir(root);
    QElapsedTimer timer;
    timer.start();
    const int pdfs = makeTree(root, fileCount, folderCount);
    std::printf("tree: %d files in %d folders, %d PDFs, made in %.1f s\n", fileCount, folderCount,
                pdfs, timer.elapsed() / 1000.0);
    const double peakBefore = peakMegabytes();

    // Both must find the same files before their times mean anything; this also warms the cache.
    int walkedFolders = 0;
    const QStringList rows = walk(root, &walkedFolders);
    const QStringList found = findOutput(root);
    const QSet<QString> rowSet(rows.begin(), rows.end());
    const QSet<QString> foundSet(found.begin(), found.end());
    if (rows.size() != pdfs || rowSet != foundSet || rowSet.size() != rows.size()) {
        std::fprintf(stderr, "MISMATCH: walk %lld rows, find %lld, %d PDFs made\n",
                     static_cast<long long>(rows.size()), static_cast<long long>(found.size()),
                     pdfs);
        return 1;
    }

    QList<double> walkMs, findMs;
    for (int pass = 0; pass < passes; ++pass) {
        findMs.append(timeFind(root));
        timer.start();
        const QStringList again = walk(root);
        walkMs.append(timer.nsecsElapsed() / 1e6);
        if (again.size() != rows.size())
            qFatal("the walk gave %lld rows", static_cast<long long>(again.size()));
    }
    const double walkMedian = median(walkMs), findMedian = median(findMs);
    std::printf("walk:   %8.1f ms  (%d folders walked, %lld rows; median of %d)\n", walkMedian,
                walkedFolders, static_cast<long long>(rows.size()), passes);
    std::printf("find:   %8.1f ms  (find DIR -iname '*.pdf', output to the null device)\n",
                findMedian);
    std::printf("ratio:  %8.2fx walk / find (target at most 1.5)\n", walkMedian / findMedian);

    QList<double> oneByOne, allAtOnce;
    for (int pass = 0; pass < passes; ++pass) {
        RowListModel model;
        timer.start();
        for (const QString &row : rows)
            model.append(row);
        oneByOne.append(timer.nsecsElapsed() / 1e6);
        RowListModel bulk;
        timer.start();
        bulk.appendAll(rows);
        allAtOnce.append(timer.nsecsElapsed() / 1e6);
    }
    std::printf("append: %8.2f ms  %lld rows one at a time to a RowListModel; %.2f ms in one "
                "appendAll\n",
                median(oneByOne), static_cast<long long>(rows.size()), median(allAtOnce));
    std::printf("memory: peak %.1f MB (%.1f MB before the scans)\n", peakMegabytes(), peakBefore);
    return 0;
}
