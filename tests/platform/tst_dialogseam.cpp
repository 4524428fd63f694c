// Every box and dialog goes through the services seam, so that tests can answer all of them.
#include "TestConfig.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

class TestDialogSeam : public QObject
{
    Q_OBJECT

private slots:
    void noDirectDialogsOutsidePlatform();
};

void TestDialogSeam::noDirectDialogsOutsidePlatform()
{
    const QString src = QStringLiteral(MORWENDA_SOURCE_DIR "/src");
    const QRegularExpression direct(QStringLiteral(
        R"(\b(QMessageBox|QInputDialog|QFileDialog|QColorDialog|QFontDialog|QErrorMessage)\b)"
        R"(|\bQDesktopServices::openUrl\b)"));
    QStringList offenders;
    int scanned = 0;
    QDirIterator it(src, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.startsWith(src + QStringLiteral("/platform/")))
            continue;
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        ++scanned;
        int lineNo = 0;
        for (const QByteArray &line : file.readAll().split('\n')) {
            ++lineNo;
            if (direct.match(QString::fromUtf8(line)).hasMatch())
                offenders << QStringLiteral("%1:%2: %3")
                                 .arg(path.mid(src.size() + 1))
                                 .arg(lineNo)
                                 .arg(QString::fromUtf8(line.trimmed()));
        }
    }
    QVERIFY2(scanned > 10, "the sources were not found");
    QVERIFY2(offenders.isEmpty(), qPrintable(offenders.join(u'\n')));
}

QTEST_APPLESS_MAIN(TestDialogSeam)
#include "tst_dialogseam.moc"
