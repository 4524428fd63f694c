// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Real PDF files for the tests, written with Qt's PDF writer and protected with qpdf.
namespace fixtures {

// One page per entry; lines of a page are separated by '\n'.
void writeTextPdf(const QString &path, const QStringList &pages);

// One page per entry, laid out as writeTextPdf lays them out; the pages whose index (from 0) is in
// `scanned` hold their text only as a gray picture of the whole sheet at 300 dpi, as a scanner
// gives it.
void writeScannedPdf(const QString &path, const QStringList &pages, const QList<int> &scanned);

// How a sheet went through a scanner: the picture's resolution, the sheet turned on the glass (180
// degrees upside down, 2 skewed), impulse noise (the share of pixels turned black or white at
// random, from a fixed seed), and a stamp: a short line of text put over the picture as a text
// layer, as scanners and Bates numbering add it.
struct Scan
{
    int dpi = 300;
    double turnDegrees = 0;
    double speckles = 0;
    QString stamp;
};

// Pages laid out as writeTextPdf lays them out, each held only as a gray picture of the whole
// sheet scanned as `scan` says.
void writeScanPdf(const QString &path, const QStringList &pages, const Scan &scan);

// Pages that hold a picture and no text, as a scanner makes them.
void writeImagePdf(const QString &path, int pages = 1);

// Protects `in` with qpdf (AES-256). An empty user password gives a file that opens without one
// and only carries an owner password; `restrictions` are qpdf's (such as "--extract=n"). With
// `keyBits` 128 (AES-128, whose passwords are Latin-1 bytes) qpdf stores a password it can spell
// in Latin-1 that way.
void encryptPdf(const QString &in, const QString &out, const QString &userPassword,
                const QString &ownerPassword, const QStringList &restrictions = {},
                int keyBits = 256);

// What the converter itself writes for the file (bytes), or a null array when it writes nothing.
QByteArray convertDirectly(const QString &pdf, const QStringList &extraArguments = {});

// A 3 KB page whose form draws a form ten times, `levels` deep: the converter works for minutes
// and gives no text.
void writeFormBomb(const QString &path, int levels);

// A whole PDF file of the given objects, numbered from 1 (the first must be the catalogue), with
// its cross-reference table and trailer.
QByteArray pdfOfObjects(const QList<QByteArray> &objects);

// The object of a PDF stream: its dictionary's entries (without << >>) and its data.
QByteArray streamObject(const QByteArray &dictionary, const QByteArray &data);

// `pages` pages of one line each ("Page N of the page tree") in a page tree that claims
// `claimedPages` pages; the pages (numbered from 1) in `missing` are named in the tree by objects
// the file does not hold. pdftotext gives the text of the others and exits 0.
void writePageTreePdf(const QString &path, int pages, int claimedPages,
                      const QList<int> &missing = {});

// One page (US letter) that is one gray picture of `width` x `height` pixels whose data ends after
// a few lines: a few hundred bytes on disk for any number of pixels.
void writeHugePicturePdf(const QString &path, int width, int height);

QString corpusDir();
QString corpusFile(const QString &name);

} // namespace fixtures
