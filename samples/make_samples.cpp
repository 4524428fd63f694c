// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the sample PDFs that "Load Sample/Example Files" offers: a text document in two scripts,
// a page that holds only a scanned picture, the source of the password-protected sample (qpdf
// protects it afterwards) and a damaged file, cut off as an interrupted download leaves one.
//
// Usage: morwenda_make_samples <samples folder> <unprotected source of the protected sample>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTextStream>

#include <cstdlib>

namespace {

const QString FontFamily = QStringLiteral("Liberation Sans");

const QStringList TwoScriptsPages = {
    QStringLiteral("Morwenda sample: a document in two scripts\n"
                   "\n"
                   "This is the first page of a real PDF document. Converting it gives a text\n"
                   "file with three pages: this English one, a Greek one and one that mixes both.\n"
                   "Click the file in the list to preview its first lines."),
    QStringLiteral("Δείγμα: ελληνικό κείμενο\n"
                   "\n"
                   "Καλημέρα! Αυτή η σελίδα είναι γραμμένη στα ελληνικά.\n"
                   "Το πρόγραμμα μετατρέπει αρχεία PDF σε απλό κείμενο.\n"
                   "Τα γράμματα διατηρούνται: α β γ δ ε ζ η θ ι κ λ μ ν ξ ο π ρ σ τ υ φ χ ψ ω."),
    QStringLiteral("Both scripts on one page\n"
                   "\n"
                   "English: plain text, one file per PDF.\n"
                   "Ελληνικά: απλό κείμενο, ένα αρχείο για κάθε PDF.\n"
                   "The end. Τέλος."),
};

[[noreturn]] void fail(const QString &why)
{
    QTextStream(stderr) << "morwenda_make_samples: " << why << '\n';
    std::exit(1);
}

QFont sampleFont()
{
    QFont font(FontFamily);
    font.setPointSize(12);
    // Another family may lack the Greek letters, and the sample would show boxes.
    if (QFontInfo(font).family() != FontFamily)
        fail(FontFamily + QStringLiteral(" is not installed (Debian package fonts-liberation)"));
    return font;
}

void writeTextPages(QIODevice *device, const QStringList &pages)
{
    QPdfWriter writer(device);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    writer.setCreator(QStringLiteral("Morwenda"));
    QPainter painter(&writer);
    painter.setFont(sampleFont());
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0)
            writer.newPage();
        int y = 72;
        for (const QString &line : pages.at(i).split(u'\n')) {
            painter.drawText(60, y, line);
            y += 18;
        }
    }
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush())
        fail(QStringLiteral("cannot write ") + path + QStringLiteral(": ") + file.errorString());
}

QByteArray textDocument(const QStringList &pages)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeTextPages(&buffer, pages);
    return buffer.data();
}

// A page as a scanner gives it: a picture of printed lines, no text the converter could find.
QByteArray scannedPage()
{
    QImage scan(1240, 1754, QImage::Format_Grayscale8);
    scan.fill(Qt::white);
    {
        QPainter on(&scan);
        QFont font = sampleFont();
        font.setPixelSize(34);
        on.setFont(font);
        on.translate(620, 877);
        on.rotate(0.8); // scans are never quite straight
        on.translate(-620, -877);
        int y = 200;
        for (const QString &line : TwoScriptsPages.first().split(u'\n')) {
            on.drawText(140, y, line);
            y += 56;
        }
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(150);
        writer.setCreator(QStringLiteral("Morwenda"));
        QPainter painter(&writer);
        painter.drawImage(QRect(0, 0, writer.width(), writer.height()), scan);
    }
    return buffer.data();
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3)
        fail(QStringLiteral("usage: morwenda_make_samples <samples folder> <protected source>"));
    const QDir samples(arguments.at(1));
    if (!QDir().mkpath(samples.path()))
        fail(QStringLiteral("cannot make ") + samples.path());

    writeFile(samples.filePath(QStringLiteral("Two scripts - English and Greek.pdf")),
              textDocument(TwoScriptsPages));
    writeFile(samples.filePath(QStringLiteral("Scanned page - no text.pdf")), scannedPage());
    writeFile(arguments.at(2),
              textDocument({QStringLiteral("This document is protected.\n"
                                           "Its password, morwenda, is in its file name.\n"
                                           "Tick the password option to be asked for it.")}));
    const QByteArray whole = textDocument(TwoScriptsPages);
    writeFile(samples.filePath(QStringLiteral("Damaged - cut off download.pdf")),
              whole.left(whole.size() * 2 / 5));
    return 0;
}
