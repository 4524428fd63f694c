#include "ConvertFile.h"

#include "platform/Failure.h"
#include "RunConverter.h"

#include <cstdio>
#include <cstring>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

// Puts the staged text file in place of `output`, replacing an earlier file of that name.
void moveIntoPlace(const QString &staged, const QString &output)
{
    if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(output).constData()) ==
        0)
        return;
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    // Some file systems refuse to replace; try once more after removing the earlier file.
    if (QFileInfo(output).isFile() && QFile::remove(output) && QFile::rename(staged, output))
        return;
    throw Failure(QStringLiteral("%1: %2").arg(reason, QDir::toNativeSeparators(output)));
}

} // namespace

bool ConvertFile(const QString &pdf, const QString &output, const QString &password,
                 ConvertMode mode, ProgressTarget *progress, const QString &caption, int startValue,
                 int fileCount)
{
    const QFileInfo target(output);
    QTemporaryDir staging(target.absolutePath() + QStringLiteral("/.morwenda-XXXXXX"));
    if (!staging.isValid())
        return false; // the folder is missing or not writable: the converter could write nothing
    const QString staged = staging.filePath(QStringLiteral("text.txt"));
    RunConverter(pdf, staged, password, mode == ConvertMode::Preview, progress, caption, startValue,
                 fileCount);
    if (!QFileInfo(staged).isFile())
        return false;
    moveIntoPlace(staged, output);
    return true;
}
