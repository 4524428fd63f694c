// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputChecks.h"

#include "platform/Failure.h"
#include "platform/FileIdentity.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <QFileInfo>
#include <QSet>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder that exists and takes new files; throws Failure naming `shown`.
void checkWritableFolder(const QString &folder, const QString &shown)
{
    struct stat facts = {};
    if (::stat(nativepath::encode(folder).constData(), &facts) != 0)
        throw Failure(QStringLiteral("morwenda-batch: %1: %2").arg(shown, systemError(errno)));
    if (!S_ISDIR(facts.st_mode))
        throw Failure(QStringLiteral("morwenda-batch: %1: %2").arg(shown, systemError(ENOTDIR)));
    if (::access(nativepath::encode(folder).constData(), W_OK | X_OK) != 0)
        throw Failure(QStringLiteral("morwenda-batch: %1: no text can be written there: %2")
                          .arg(shown, systemError(errno)));
}

} // namespace

namespace outputchecks {

void checkOutFolder(const BatchOptions &options)
{
    const QString folder = options.outFolder;
    if (folder.isEmpty())
        return;
    if (!files::fileExists(folder) && options.makeParents && !nativepath::makePath(folder))
        throw Failure(QStringLiteral("morwenda-batch: %1: the folder cannot be made: %2")
                          .arg(folder, systemError(errno)));
    struct stat facts = {};
    if (::stat(nativepath::encode(folder).constData(), &facts) != 0)
        throw Failure(QStringLiteral("morwenda-batch: %1: %2 (--parents makes the folder)")
                          .arg(folder, systemError(errno)));
    checkWritableFolder(folder, folder);
}

void checkTextFileFolder(const BatchOptions &options)
{
    if (!options.textFile.isEmpty())
        checkWritableFolder(QFileInfo(nativepath::absolute(options.textFile)).absolutePath(),
                            options.textFile);
}

void checkReportIsNoInput(const BatchOptions &options, const QList<BatchInput> &inputs)
{
    const FileIdentity report = FileIdentity::ofPath(options.reportFile);
    if (options.reportFile.isEmpty() || !report.isKnown())
        return;
    QList<std::pair<QString, QString>> read = {
        {QStringLiteral("the list"), options.filesFrom},
        {QStringLiteral("the list"), options.files0From},
        {QStringLiteral("the password file"), options.passwordFile}};
    for (const BatchInput &input : inputs)
        read.append({QStringLiteral("the PDF"), input.pdf});
    for (const auto &[what, path] : std::as_const(read))
        if (!path.isEmpty() && path != QStringLiteral("-") &&
            report.sameAs(FileIdentity::ofPath(path)))
            throw Failure(QStringLiteral("morwenda-batch: the report %1 would replace %2 %3, "
                                         "which this run reads")
                              .arg(options.reportFile, what, path));
}

} // namespace outputchecks

void TextFolders::make(const QList<BatchInput> &inputs)
{
    QSet<QString> seen;
    for (const BatchInput &input : inputs) {
        QString folder = QFileInfo(input.output).absolutePath();
        if (seen.contains(folder))
            continue;
        seen.insert(folder);
        QStringList missing;
        for (; !files::fileExists(folder); folder = QFileInfo(folder).absolutePath())
            missing.prepend(folder);
        for (const QString &level : std::as_const(missing)) {
            if (::mkdir(nativepath::encode(level).constData(), 0777) != 0)
                break;
            m_made.append(level);
        }
    }
}

void TextFolders::removeEmpty()
{
    for (auto folder = m_made.crbegin(); folder != m_made.crend(); ++folder)
        ::rmdir(nativepath::encode(*folder).constData()); // only when empty
    m_made.clear();
}
