// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageList.h"

#include <algorithm>

namespace pagelist {

namespace {

bool readPage(QStringView text, int &page)
{
    bool ok = false;
    page = text.trimmed().toInt(&ok);
    return ok && page > 0;
}

} // namespace

QList<Run> parse(QStringView text)
{
    QList<Run> runs;
    for (const QStringView part : text.split(u',', Qt::SkipEmptyParts)) {
        const qsizetype dash = part.indexOf(u'-');
        Run run;
        const bool read = dash < 0 ? readPage(part, run.first) && readPage(part, run.last)
                                   : readPage(part.first(dash), run.first) &&
                                         readPage(part.sliced(dash + 1), run.last);
        if (read && run.first <= run.last)
            runs << run;
    }
    return joined(std::move(runs));
}

QList<Run> runsOf(const QList<int> &pages)
{
    QList<Run> runs;
    runs.reserve(pages.size());
    for (const int page : pages)
        runs << Run{page, page};
    return joined(std::move(runs));
}

QList<Run> joined(QList<Run> runs)
{
    std::sort(runs.begin(), runs.end(),
              [](const Run &a, const Run &b) { return a.first < b.first; });
    QList<Run> result;
    for (const Run &run : std::as_const(runs)) {
        if (!result.isEmpty() && qint64(run.first) <= qint64(result.last().last) + 1)
            result.last().last = std::max(result.last().last, run.last);
        else
            result << run;
    }
    return result;
}

QString write(const QList<Run> &runs, QStringView separator)
{
    QString text;
    for (const Run &run : runs) {
        if (!text.isEmpty())
            text += separator;
        text += run.first == run.last ? QString::number(run.first)
                                      : QStringLiteral("%1-%2").arg(run.first).arg(run.last);
    }
    return text;
}

QString joinWritten(const QStringList &lists)
{
    QList<Run> runs;
    for (const QString &list : lists)
        runs += parse(list);
    return write(joined(std::move(runs)));
}

} // namespace pagelist
