// SPDX-License-Identifier: GPL-3.0-or-later
// What makes two looks at a file the same file, and the form a report keeps it in.
#include "platform/FileIdentity.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class TestFileIdentity : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("a.pdf"));
        write("%PDF-1.4 first\n");
    }

    // A rewrite in place with the same size and the modification time set back (`touch -r`,
    // `cp -p`) is another file: only the status change gives it away.
    void rewriteWithItsOldTimeIsNoticed()
    {
        struct stat before = {};
        QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &before), 0);
        const FileIdentity first = FileIdentity::ofPath(m_path);
        // The status change moves with the kernel's clock tick: rewrite until it has moved.
        bool noticed = false;
        for (int tries = 0; tries < 100000 && !noticed; ++tries) {
            write("%PDF-1.4 other\n");
            setModified(before.st_mtim);
            noticed = !FileIdentity::ofPath(m_path).sameAs(first);
        }
        QVERIFY(noticed);
        struct stat after = {};
        QCOMPARE(::stat(QFile::encodeName(m_path).constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_size, before.st_size);
        QCOMPARE(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        QVERIFY(FileIdentity::ofPath(m_path).sameAs(FileIdentity::ofPath(m_path)));
    }

    void textFormReadsBack()
    {
        const FileIdentity identity = FileIdentity::ofPath(m_path);
        const QString text = identity.toText();
        QVERIFY(FileIdentity::fromText(text).sameAs(identity));
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        QVERIFY(FileIdentity::ofOpenFile(fd).sameAs(identity));
        ::close(fd);
        QVERIFY(FileIdentity().toText().isEmpty());
        for (const QString &bad : {QString(), QStringLiteral("1:2:3:4.5:6.7"), text + u'x',
                                   QStringLiteral("a") + text})
            QVERIFY2(!FileIdentity::fromText(bad).isKnown(), qPrintable(bad));
    }

    // Each part of the identity tells two files apart on its own.
    void everyPartCounts_data()
    {
        QTest::addColumn<QString>("other");
        const char *same = "1:2:3:4.000000005:6.000000007";
        QTest::newRow("device") << "9:2:3:4.000000005:6.000000007";
        QTest::newRow("inode") << "1:9:3:4.000000005:6.000000007";
        QTest::newRow("size") << "1:2:9:4.000000005:6.000000007";
        QTest::newRow("modification seconds") << "1:2:3:9.000000005:6.000000007";
        QTest::newRow("modification nanoseconds") << "1:2:3:4.000000009:6.000000007";
        QTest::newRow("status change seconds") << "1:2:3:4.000000005:9.000000007";
        QTest::newRow("status change nanoseconds") << "1:2:3:4.000000005:6.000000009";
        QVERIFY(FileIdentity::fromText(QLatin1String(same))
                    .sameAs(FileIdentity::fromText(QLatin1String(same))));
        m_same = QLatin1String(same);
    }

    void everyPartCounts()
    {
        QFETCH(QString, other);
        const FileIdentity one = FileIdentity::fromText(m_same);
        const FileIdentity two = FileIdentity::fromText(other);
        QVERIFY(two.isKnown());
        QCOMPARE(two.toText(), other); // the form a report keeps, nanoseconds in nine digits
        QVERIFY(!one.sameAs(two));
        QVERIFY(!two.sameAs(one));
    }

private:
    void write(const QByteArray &bytes)
    {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    void setModified(const timespec &when)
    {
        const timespec times[2] = {when, when};
        QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(m_path).constData(), times, 0), 0);
    }

    QTemporaryDir m_dir;
    QString m_path;
    QString m_same;
};

QTEST_GUILESS_MAIN(TestFileIdentity)
#include "tst_fileidentity.moc"
