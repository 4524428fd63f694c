#include "PdfFixtures.h"

#include "TestConfig.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace fixtures {

void writeTextPdf(const QString &path, const QStringList &pages)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(11);
    painter.setFont(font);
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        int y = 60;
        for (const QString &line : pages.at(i).split(u'\n')) {
            painter.drawText(50, y, line);
            y += 14;
        }
    }
    painter.end();
    if (!QFile::exists(path))
        qFatal("could not write %s", qPrintable(path));
}

void writeImagePdf(const QString &path, int pages)
{
    QPdfWriter writer(path);
    writer.setResolution(72);
    QPainter painter(&writer);
    QImage scan(400, 200, QImage::Format_RGB32);
    scan.fill(Qt::white);
    {
        QPainter on(&scan);
        on.setPen(QPen(Qt::black, 3));
        for (int y = 20; y < 200; y += 25)
            on.drawLine(20, y, 380, y + 3);
    }
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            writer.newPage();
        painter.drawImage(QRect(50, 50, 400, 200), scan);
    }
    painter.end();
}

void encryptPdf(const QString &in, const QString &out, const QString &userPassword,
                const QString &ownerPassword, const QStringList &restrictions)
{
    QProcess qpdf;
    qpdf.start(QStringLiteral(MORWENDA_QPDF), QStringList{QStringLiteral("--encrypt"), userPassword,
                                                          ownerPassword, QStringLiteral("256")} +
                                                  restrictions +
                                                  QStringList{QStringLiteral("--"), in, out});
    qpdf.waitForFinished(30000);
    // qpdf exits 3 for warnings; the file is written then too.
    if (!QFile::exists(out))
        qFatal("qpdf could not encrypt %s: %s", qPrintable(in),
               qpdf.readAllStandardError().constData());
}

QByteArray convertDirectly(const QString &pdf, const QStringList &extraArguments)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.txt"));
    QProcess converter;
    converter.setStandardOutputFile(QProcess::nullDevice());
    converter.setStandardErrorFile(QProcess::nullDevice());
    converter.start(QStringLiteral(MORWENDA_PDFTOTEXT), extraArguments + QStringList{pdf, out});
    converter.waitForFinished(120000);
    QFile file(out);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QByteArray bytes = file.readAll();
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
}

QString corpusDir()
{
    return QStringLiteral(MORWENDA_CORPUS_DIR);
}

QString corpusFile(const QString &name)
{
    return corpusDir() + u'/' + name;
}

} // namespace fixtures
