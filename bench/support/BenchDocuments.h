// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// What the conversion benchmarks share: the same made-up documents, the text files' names, and
// how passes and outputs are compared.
namespace benchdocs {

// `count` PDFs of `pageCount` pages of made-up prose in `folder` ("document 0001.pdf", ...), from a
// fixed seed, so that every run converts the same text.
QStringList makePdfs(const QString &folder, int count, int pageCount);

// The text file's name for a PDF: its name with ".txt" for its last extension.
QString textName(const QString &pdf);

// The median of the values (the mean of the middle two for an even count).
double median(std::vector<double> values);

// How many of the PDFs' text files in folder `a` differ from those in `b`, or are missing or
// empty there; the first difference is named on standard output.
int differences(const QStringList &pdfs, const QString &a, const QString &b);

// The resident size of this process now (VmRSS from /proc; 0 where there is none).
long residentKilobytes();

} // namespace benchdocs
