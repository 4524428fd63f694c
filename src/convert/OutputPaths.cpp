#include "OutputPaths.h"

#include "platform/Failure.h"
#include "platform/PathRules.h"

#include <QFileInfo>

QString noOutputChoiceText()
{
    return QStringLiteral(
        "Please choose where to save the text files: in a folder, or next to each PDF.");
}

QString outputPathInFolder(const QString &folder, const QString &pdf)
{
    const QChar sep = paths::separator();
    return paths::RemoveDoubleBackslashes(folder + sep +
                                          paths::OutputFileName(paths::GetFileName(pdf)));
}

QString outputPathBesidePdf(const QString &pdf)
{
    const QChar sep = paths::separator();
    return paths::RemoveDoubleBackslashes(paths::GetFolderPath(pdf) + sep +
                                          paths::OutputFileName(paths::GetFileName(pdf)));
}

QString notOverThePdf(const QString &output, const QString &pdf)
{
    const QFileInfo target(output);
    if (!target.exists() || target.canonicalFilePath() != QFileInfo(pdf).canonicalFilePath())
        return output;
    return output + QStringLiteral(".txt");
}

QString outputPathFor(const OutputChoice &choice, const QString &pdf)
{
    switch (choice.mode) {
    case OutputChoice::Mode::IntoFolder:
        return notOverThePdf(outputPathInFolder(choice.folder, pdf), pdf);
    case OutputChoice::Mode::BesidePdf:
        return notOverThePdf(outputPathBesidePdf(pdf), pdf);
    case OutputChoice::Mode::None:
        break;
    }
    throw Failure(noOutputChoiceText());
}
