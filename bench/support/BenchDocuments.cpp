// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchDocuments.h"

#include "PdfFixtures.h"

#include <algorithm>
#include <cstdio>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace benchdocs {
namespace {

constexpr int LinesPerPage = 40;

QStringList makePages(int pageCount, QRandomGenerator &random)
{
    static const QStringList words =
        QStringLiteral(
            "the of and to in a is that for it as was with be by on not he this are or his from at "
            "which but have an they you were her she there been one all we their has would when if "
            "so no more what up out can said who about other into time some could them these then "
            "report annual account balance customer delivery invoice quarter figures table revenue "
            "meeting committee proposal section paragraph agreement contract notice schedule 2021 "
            "17.5% €1,240.00 (see above) résumé naïve façade Straße")
            .split(u' ');
    QStringList pages;
    for (int p = 0; p < pageCount; ++p) {
        QStringList lines;
        for (int l = 0; l < LinesPerPage; ++l) {
            QString line;
            while (line.size() < 70)
                line += words.at(int(random.bounded(quint32(words.size())))) + u' ';
            lines.append(line.trimmed());
        }
        pages.append(lines.join(u'\n'));
    }
    return pages;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QStringList makePdfs(const QString &folder, int count, int pageCount)
{
    QDir().mkpath(folder);
    QRandomGenerator random(20210831u + quint32(pageCount));
    QStringList made;
    for (int i = 0; i < count; ++i) {
        const QString path =
            QStringLiteral("%1/document %2.pdf").arg(folder).arg(i + 1, 4, 10, QLatin1Char('0'));
        fixtures::writeTextPdf(path, makePages(pageCount, random));
        made.append(path);
    }
    return made;
}

QString textName(const QString &pdf)
{
    const QString name = QFileInfo(pdf).fileName();
    return name.left(name.lastIndexOf(u'.')) + QStringLiteral(".txt");
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

int differences(const QStringList &pdfs, const QString &a, const QString &b)
{
    int differ = 0;
    for (const QString &pdf : pdfs) {
        const QByteArray left = readAll(a + u'/' + textName(pdf));
        if (left.isEmpty() || left != readAll(b + u'/' + textName(pdf))) {
            if (differ == 0)
                std::printf("warning: %s differs between %s and %s\n", qPrintable(textName(pdf)),
                            qPrintable(a), qPrintable(b));
            ++differ;
        }
    }
    return differ;
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

} // namespace benchdocs
