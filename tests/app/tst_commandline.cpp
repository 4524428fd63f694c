// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <QDir>
#include <QTest>

// Which command-line arguments are files to add, and how they are made absolute.
class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void files_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        const QString here = QDir::currentPath() + u'/';
        QTest::newRow("none") << QStringList{"morwenda"} << QStringList{};
        QTest::newRow("in order, relative ones from the current folder")
            << QStringList{"morwenda", "/data/b.pdf", "a.pdf", "sub/folder"}
            << QStringList{"/data/b.pdf", here + "a.pdf", here + "sub/folder"};
        QTest::newRow("options are not files")
            << QStringList{"morwenda", "--converter-service", "/data/a.pdf", "--verbose"}
            << QStringList{"/data/a.pdf"};
        QTest::newRow("after a lone --, everything is a file")
            << QStringList{"morwenda", "--", "--odd name.pdf", "/data/a.pdf"}
            << QStringList{here + "--odd name.pdf", "/data/a.pdf"};
        QTest::newRow("an empty argument is nothing")
            << QStringList{"morwenda", ""} << QStringList{};
    }

    void files()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QCOMPARE(commandLineFiles(arguments), files);
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
