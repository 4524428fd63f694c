// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputChoice.h"

#include "platform/PathRules.h"

#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace outputpaths {

QString inFolder(const QString &folder, const QString &pdf)
{
    return paths::removeDoubleBackslashes(folder + paths::separator() +
                                          paths::outputFileName(paths::getFileName(pdf)));
}

QString besidePdf(const QString &pdf)
{
    return paths::removeDoubleBackslashes(paths::getFolderPath(pdf) + paths::separator() +
                                          paths::outputFileName(paths::getFileName(pdf)));
}

QString notOverThePdf(const QString &output, const QString &pdf)
{
    const QFileInfo target(output);
    if (!target.exists() || target.canonicalFilePath() != QFileInfo(pdf).canonicalFilePath())
        return output;
    return output + QStringLiteral(".txt");
}

QString forChoice(const OutputChoice &choice, const QString &pdf)
{
    switch (choice.mode) {
    case OutputChoice::Mode::Folder:
        return notOverThePdf(inFolder(choice.folder, pdf), pdf);
    case OutputChoice::Mode::BesidePdf:
        return notOverThePdf(besidePdf(pdf), pdf);
    case OutputChoice::Mode::None:
        break;
    }
    return QString();
}

QString numbered(const QString &output, int n)
{
    const QString suffix = QStringLiteral(" (%1)").arg(n);
    const QString name = paths::getFileName(output);
    if (name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive) && name.size() > 4)
        return output.left(output.size() - 4) + suffix + output.right(4);
    return output + suffix;
}

QString placeKey(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QStringList numberSameNames(const QStringList &outputs)
{
    QStringList numberedOutputs;
    numberedOutputs.reserve(outputs.size());
    QSet<QString> taken;
    QHash<QString, int> nextNumber;
    for (const QString &first : outputs) {
        QString output = first;
        if (!first.isEmpty()) {
            int &n = nextNumber[placeKey(first)];
            n = std::max(n, 2);
            while (taken.contains(placeKey(output)))
                output = numbered(first, n++);
            taken.insert(placeKey(output));
        }
        numberedOutputs.append(output);
    }
    return numberedOutputs;
}

} // namespace outputpaths
