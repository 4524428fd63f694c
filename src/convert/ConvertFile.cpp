#include "ConvertFile.h"

#include "platform/Failure.h"
#include "platform/TemporaryFolder.h"
#include "RunConverter.h"

#include <cstdio>
#include <cstring>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

StagingArea::StagingArea() = default;
StagingArea::~StagingArea() = default;

QString StagingArea::stagedPathFor(const QString &output)
{
    const QString folder = QFileInfo(output).absolutePath();
    if (!m_dir || folder != m_folder) {
        m_dir = std::make_unique<TemporaryFolder>(folder + QStringLiteral("/.morwenda-XXXXXX"));
        m_folder = folder;
    }
    if (!m_dir->isValid())
        return QString();
    const QString staged = m_dir->filePath(QStringLiteral("text.txt"));
    QFile::remove(staged); // what an earlier file left when it could not be put in place
    return staged;
}

bool ConvertFile(StagingArea &staging, const QString &pdf, const QString &output,
                 const QString &password, ConvertMode mode, ProgressTarget *progress,
                 const QString &caption, int startValue, int fileCount)
{
    // A folder of the output's name can take no text file, as the converter would find too.
    if (QFileInfo(output).isDir())
        return false;
    const QString staged = staging.stagedPathFor(output);
    if (staged.isEmpty())
        return false; // the folder is missing or not writable: the converter could write nothing
    RunConverter(pdf, staged, password, mode == ConvertMode::Preview, progress, caption, startValue,
                 fileCount);
    if (!QFileInfo(staged).isFile())
        return false;
    moveIntoPlace(staged, output);
    return true;
}
