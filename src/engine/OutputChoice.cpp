#include "OutputChoice.h"

#include "platform/PathRules.h"

#include <QFileInfo>

namespace outputpaths {

QString inFolder(const QString &folder, const QString &pdf)
{
    return paths::RemoveDoubleBackslashes(folder + paths::separator() +
                                          paths::outputFileName(paths::GetFileName(pdf)));
}

QString besidePdf(const QString &pdf)
{
    return paths::RemoveDoubleBackslashes(paths::GetFolderPath(pdf) + paths::separator() +
                                          paths::outputFileName(paths::GetFileName(pdf)));
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
    const QString name = paths::GetFileName(output);
    if (name.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive) && name.size() > 4)
        return output.left(output.size() - 4) + suffix + output.right(4);
    return output + suffix;
}

} // namespace outputpaths
