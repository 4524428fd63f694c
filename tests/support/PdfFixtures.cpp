// SPDX-License-Identifier: GPL-3.0-or-later
#include "PdfFixtures.h"

#include "TestConfig.h"

#include <cmath>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace fixtures {

namespace {

// Lays out a page's lines on a painter whose unit is the point.
void drawPageText(QPainter &painter, const QString &page)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSize(11);
    painter.setFont(font);
    int y = 60;
    for (const QString &line : page.split(u'\n')) {
        painter.drawText(50, y, line);
        y += 14;
    }
}

// The picture a scanner gives of a sheet with `text`, as `scan` says.
QImage scannedSheet(const QSizeF &pagePoints, const QString &text, const Scan &scan)
{
    // The image's own resolution stays at 72 dpi so that points are its unit before the
    // scaling, as on the PDF page.
    QImage sheet((pagePoints * scan.dpi / 72.0).toSize(), QImage::Format_Grayscale8);
    sheet.setDotsPerMeterX(qRound(72 / 0.0254));
    sheet.setDotsPerMeterY(qRound(72 / 0.0254));
    sheet.fill(Qt::white);
    {
        QPainter on(&sheet);
        // Turned about the sheet's middle; a quarter turn about the middle of the square at the
        // sheet's top, where a short page's text is, so that it stays on the sheet.
        const bool quarter = std::abs(std::remainder(scan.turnDegrees, 180.0)) > 45;
        const QPointF pivot(sheet.width() / 2.0, (quarter ? sheet.width() : sheet.height()) / 2.0);
        on.translate(pivot);
        on.rotate(scan.turnDegrees);
        on.translate(-pivot);
        on.scale(scan.dpi / 72.0, scan.dpi / 72.0);
        drawPageText(on, text);
    }
    if (scan.speckles > 0) {
        QRandomGenerator random(2026);
        const qint64 pixels = qint64(sheet.width()) * sheet.height();
        for (qint64 n = qint64(pixels * scan.speckles); n > 0; --n) {
            const qint64 at = qint64(random.bounded(double(pixels)));
            sheet.scanLine(int(at / sheet.width()))[at % sheet.width()] =
                random.bounded(2) ? 0 : 255;
        }
    }
    return sheet;
}

void writeScans(const QString &path, const QStringList &pages, const QList<int> &scanned,
                const Scan &scan)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    const QSizeF pagePoints = writer.pageLayout().fullRect(QPageLayout::Point).size();
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        if (!scanned.contains(i)) {
            drawPageText(painter, pages.at(i));
            continue;
        }
        // The page's origin is its printable area's corner: the picture covers the whole sheet.
        const QRectF paper = writer.pageLayout().fullRect(QPageLayout::Point);
        const QPointF printable = writer.pageLayout().paintRect(QPageLayout::Point).topLeft();
        painter.drawImage(paper.translated(-printable),
                          scannedSheet(pagePoints, pages.at(i), scan));
        if (!scan.stamp.isEmpty()) {
            QFont font(QStringLiteral("Liberation Sans"));
            font.setPointSize(8);
            painter.setFont(font);
            painter.drawText(QPointF(paper.width() - 150, paper.height() - 30) - printable,
                             scan.stamp);
        }
    }
    painter.end();
    if (!QFile::exists(path))
        qFatal("could not write %s", qPrintable(path));
}

} // namespace

void writeTextPdf(const QString &path, const QStringList &pages)
{
    writeScannedPdf(path, pages, {});
}

void writeScannedPdf(const QString &path, const QStringList &pages, const QList<int> &scanned)
{
    writeScans(path, pages, scanned, Scan());
}

void writeScanPdf(const QString &path, const QStringList &pages, const Scan &scan)
{
    QList<int> all;
    for (int i = 0; i < pages.size(); ++i)
        all << i;
    writeScans(path, pages, all, scan);
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
                const QString &ownerPassword, const QStringList &restrictions, int keyBits)
{
    QProcess qpdf;
    qpdf.start(QStringLiteral(MORWENDA_QPDF), QStringList{QStringLiteral("--encrypt"), userPassword,
                                                          ownerPassword, QString::number(keyBits)} +
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

// A 3 KB page whose form draws a form ten times, `levels` deep: the converter works for minutes
// and gives no text.
QByteArray pdfOfObjects(const QList<QByteArray> &objects)
{
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

void writeFormBomb(const QString &path, int levels)
{
    QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << /X " +
            QByteArray::number(5 + levels) + " 0 R >> >> /Contents " +
            QByteArray::number(6 + levels) + " 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    const auto stream = [](const QByteArray &dictionary, const QByteArray &data) {
        return "<< " + dictionary + " /Length " + QByteArray::number(data.size()) +
               " >>\nstream\n" + data + "\nendstream";
    };
    for (int level = 0; level <= levels; ++level) {
        QByteArray data = "BT /F1 10 Tf 10 10 Td (words) Tj ET";
        QByteArray resources = "<< /Font << /F1 4 0 R >> >>";
        if (level > 0) {
            data.clear();
            for (int i = 0; i < 10; ++i)
                data += "q 1 0 0 1 " + QByteArray::number(i) + " " + QByteArray::number(i) +
                        " cm /Y Do Q ";
            resources = "<< /XObject << /Y " + QByteArray::number(4 + level) + " 0 R >> >>";
        }
        objects << stream(
            "/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Resources " + resources, data);
    }
    objects << stream(QByteArray(), "/X Do");
    const QByteArray pdf = pdfOfObjects(objects);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray streamObject(const QByteArray &dictionary, const QByteArray &data)
{
    return "<< " + dictionary + " /Length " + QByteArray::number(data.size()) + " >>\nstream\n" +
           data + "\nendstream";
}

void writePageTreePdf(const QString &path, int pages, int claimedPages, const QList<int> &missing)
{
    QList<QByteArray> objects = {"<< /Type /Catalog /Pages 2 0 R >>", QByteArray(),
                                 "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    QByteArray kids;
    for (int page = 1; page <= pages; ++page) {
        const int pageObject = int(objects.size()) + 1;
        // An object number beyond every object of the file: the page tree names nothing there.
        kids += QByteArray::number(missing.contains(page) ? 100000 + page : pageObject) + " 0 R ";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << "
                   "/F1 3 0 R >> >> /Contents " +
                       QByteArray::number(pageObject + 1) + " 0 R >>";
        objects << streamObject(QByteArray(), "BT /F1 12 Tf 72 700 Td (Page " +
                                                  QByteArray::number(page) +
                                                  " of the page tree) Tj ET");
    }
    objects[1] =
        "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(claimedPages) + " >>";
    const QByteArray pdf = pdfOfObjects(objects);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        qFatal("cannot write %s", qPrintable(path));
}

void writeHugePicturePdf(const QString &path, int width, int height)
{
    const QByteArray lines = qCompress(QByteArray(width, '\x80').repeated(4), 9).mid(4);
    const QByteArray content = "q 612 0 0 792 0 0 cm /Im Do Q";
    const QByteArray pdf = pdfOfObjects(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << /Im 4 0 "
         "R >> >> /Contents 5 0 R >>",
         streamObject("/Type /XObject /Subtype /Image /Width " + QByteArray::number(width) +
                          " /Height " + QByteArray::number(height) +
                          " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode",
                      lines),
         streamObject(QByteArray(), content)});
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace fixtures
