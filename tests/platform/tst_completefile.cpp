// SPDX-License-Identifier: GPL-3.0-or-later
// A file written complete or not at all, and what a replaced file keeps.
#include "FailingDevice.h"
#include "platform/CompleteFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void put(const QString &path, const QByteArray &bytes, mode_t mode)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

mode_t modeOf(const QString &path)
{
    struct stat facts = {};
    return ::stat(QFile::encodeName(path).constData(), &facts) == 0 ? facts.st_mode & 07777 : 0;
}

bool isLink(const QString &path)
{
    struct stat facts = {};
    return ::lstat(QFile::encodeName(path).constData(), &facts) == 0 && S_ISLNK(facts.st_mode);
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

class TestCompleteFile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_text = m_dir->filePath(QStringLiteral("a.txt"));
        m_elsewhere = m_dir->filePath(QStringLiteral("elsewhere/b.txt"));
        QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("elsewhere"))));
    }

    // What was at the place, written by the writer or put in place from a converter's file.
    void aReplacedFileKeepsWhatTheUserGave_data()
    {
        QTest::addColumn<QString>("before"); // none, file, link, dangling link
        QTest::addColumn<int>("mode");       // the old file's (or the link target's)
        QTest::addColumn<bool>("staged");    // put in place rather than written

        for (const bool staged : {false, true}) {
            const char *how = staged ? "put in place: " : "written: ";
            QTest::addRow("%snew file", how) << "none" << 0 << staged;
            QTest::addRow("%sprivate file stays private", how) << "file" << 0600 << staged;
            QTest::addRow("%sgroup-readable file", how) << "file" << 0640 << staged;
            QTest::addRow("%slink written through to its target", how) << "link" << 0600 << staged;
            QTest::addRow("%sdangling link makes its target", how) << "dangling" << 0 << staged;
        }
    }

    void aReplacedFileKeepsWhatTheUserGave()
    {
        QFETCH(QString, before);
        QFETCH(int, mode);
        QFETCH(bool, staged);
        QString bytesAt = m_text;
        if (before == QLatin1String("file"))
            put(m_text, "old text", mode_t(mode));
        if (before == QLatin1String("link") || before == QLatin1String("dangling")) {
            if (before == QLatin1String("link"))
                put(m_elsewhere, "old text", mode_t(mode));
            QVERIFY(QFile::link(QStringLiteral("elsewhere/b.txt"), m_text));
            bytesAt = m_elsewhere;
        }
        if (staged) {
            const QString converted = m_dir->filePath(QStringLiteral("converted"));
            put(converted, "new text", newFileMode());
            QCOMPARE(CompleteFile::putInPlace(converted, m_text), QString());
            QVERIFY(!QFile::exists(converted));
        } else {
            CompleteFile file(m_text);
            QCOMPARE(file.open(), QString());
            QCOMPARE(file.write("new text"), QString());
            QCOMPARE(file.commit(), QString());
        }
        QCOMPARE(contents(bytesAt), QByteArray("new text"));
        QCOMPARE(isLink(m_text), bytesAt != m_text);
        QCOMPARE(modeOf(bytesAt), mode ? mode_t(mode) : newFileMode());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // The superuser replaces a file of another user's: it stays theirs, as private as it was.
    void aReplacedFileKeepsItsOwner()
    {
        if (::geteuid() != 0)
            QSKIP("only the superuser can give a file to another user");
        put(m_text, "old text", 0640);
        QCOMPARE(::chown(QFile::encodeName(m_text).constData(), 65534, 65534), 0);
        CompleteFile file(m_text);
        QCOMPARE(file.open(), QString());
        QCOMPARE(file.write("new text"), QString());
        QCOMPARE(file.commit(), QString());
        struct stat facts = {};
        QCOMPARE(::stat(QFile::encodeName(m_text).constData(), &facts), 0);
        QCOMPARE(facts.st_uid, uid_t(65534));
        QCOMPARE(facts.st_gid, gid_t(65534));
        QCOMPARE(facts.st_mode & 07777, mode_t(0640));
    }

    // Never opened for writing: a FIFO would hold the writer, a device take the bytes.
    void aPlaceThatIsNoFileIsRefused_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("words");
        QTest::newRow("FIFO") << "fifo"
                              << "its place is a FIFO (named pipe), not a file";
        QTest::newRow("link to a device") << "device"
                                          << "its place is a device, not a file";
        QTest::newRow("folder") << "folder"
                                << "Is a directory";
    }

    void aPlaceThatIsNoFileIsRefused()
    {
        QFETCH(QString, what);
        QFETCH(QString, words);
        if (what == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(m_text).constData(), 0600), 0);
        else if (what == QLatin1String("device"))
            QVERIFY(QFile::link(QStringLiteral("/dev/null"), m_text));
        else
            QVERIFY(QDir().mkdir(m_text));
        QCOMPARE(CompleteFile::refusal(m_text), words);
        CompleteFile file(m_text);
        QCOMPARE(file.open(), words);
        const QString converted = m_dir->filePath(QStringLiteral("converted"));
        put(converted, "new text", 0644);
        QCOMPARE(CompleteFile::putInPlace(converted, m_text), words);
        QVERIFY(!QFile::exists(converted));
    }

    // A step that fails leaves the old file as it was and nothing beside it.
    void aFailingStepLeavesTheOldFile_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("reason");
        QTest::newRow("disk full") << "write"
                                   << "No space left on device";
        QTest::newRow("sync") << "sync"
                              << "Input/output error";
        QTest::newRow("rename") << "rename"
                                << "Read-only file system";
        QTest::newRow("source unreadable") << "source"
                                           << "Input/output error";
    }

    void aFailingStepLeavesTheOldFile()
    {
        QFETCH(QString, step);
        QFETCH(QString, reason);
        put(m_text, "old text", 0600);
        FileCalls calls = CompleteFile::systemCalls();
        if (step == QLatin1String("write"))
            calls.write = [](int, const void *, size_t) -> ssize_t { return errno = ENOSPC, -1; };
        if (step == QLatin1String("sync"))
            calls.sync = [](int) { return errno = EIO, -1; };
        if (step == QLatin1String("rename"))
            calls.rename = [](const char *, const char *) { return errno = EROFS, -1; };
        {
            CompleteFile file(m_text, calls);
            QCOMPARE(file.open(), QString());
            FailingDevice source(-1);
            source.failReading();
            QVERIFY(source.open(QIODevice::ReadOnly));
            const QString error =
                step == QLatin1String("source") ? file.writeFrom(source) : file.write("new text");
            QCOMPARE(error.isEmpty() ? file.commit() : error, reason);
        }
        QCOMPARE(contents(m_text), QByteArray("old text"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("a.txt")});
    }

    // A copy another process was quicker to put in place stays.
    void withoutReplacingAFileThereStays()
    {
        put(m_text, "theirs", 0700);
        CompleteFile file(m_text);
        file.setMode(0700);
        QCOMPARE(file.open(), QString());
        QCOMPARE(file.write("mine"), QString());
        QCOMPARE(file.commit(false), QString());
        QCOMPARE(contents(m_text), QByteArray("theirs"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_text;
    QString m_elsewhere;
};

QTEST_GUILESS_MAIN(TestCompleteFile)
#include "tst_completefile.moc"
