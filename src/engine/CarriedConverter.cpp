// SPDX-License-Identifier: GPL-3.0-or-later
#include "CarriedConverter.h"

#include "platform/CompleteFile.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

// The resource file lives in this static library; naming its initializer here links it into
// every program that deploys.
static void initConverterResource()
{
#ifndef MORWENDA_SYSTEM_CONVERTER
    Q_INIT_RESOURCE(converter);
#endif
}

namespace converter {

namespace {

#ifdef Q_OS_WIN
const QString ProgramFileName = QStringLiteral("pdftotext.exe");
#else
const QString ProgramFileName = QStringLiteral("pdftotext");
#endif

QString privateFolderName()
{
#ifdef Q_OS_WIN
    // TEMP is the user's own folder on Windows.
    return QStringLiteral("morwenda");
#else
    return QStringLiteral("morwenda-") + QString::number(::geteuid());
#endif
}

enum class Entry
{
    Folder,
    File
};

QString unsafeReason(const QString &path, Entry entry)
{
    const QString what = entry == Entry::Folder ? QStringLiteral("The converter folder ")
                                                : QStringLiteral("The converter ");
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction())
        return what + path + QStringLiteral(" is a link");
    if (!info.exists())
        return what + path + QStringLiteral(" is missing");
    if (entry == Entry::Folder ? !info.isDir() : !info.isFile())
        return what + path +
               (entry == Entry::Folder ? QStringLiteral(" is not a folder")
                                       : QStringLiteral(" is not an ordinary file"));
    return {};
#else
    struct stat facts;
    if (::lstat(nativepath::encode(path).constData(), &facts) != 0)
        return what + path + QStringLiteral(" cannot be examined: ") + systemError(errno);
    if (S_ISLNK(facts.st_mode))
        return what + path + QStringLiteral(" is a symbolic link");
    if (entry == Entry::Folder && !S_ISDIR(facts.st_mode))
        return what + path + QStringLiteral(" is not a folder");
    if (entry == Entry::File && !S_ISREG(facts.st_mode))
        return what + path + QStringLiteral(" is not an ordinary file");
    if (facts.st_uid != ::geteuid())
        return what + path + QStringLiteral(" belongs to another user");
    if (facts.st_mode & (S_IWGRP | S_IWOTH))
        return what + path + QStringLiteral(" can be changed by other users");
    return {};
#endif
}

bool entryPresent(const QString &path)
{
    return files::fileExists(path) || QFileInfo(path).isSymLink();
}

} // namespace

QString temporaryBase()
{
    QString temp = qEnvironmentVariable("TEMP");
#ifdef Q_OS_WIN
    if (temp.isEmpty())
        temp = QDir::tempPath();
#else
    if (temp.isEmpty())
        temp = qEnvironmentVariable("TMPDIR");
    if (temp.isEmpty())
        temp = QStringLiteral("/tmp");
#endif
    return QDir::cleanPath(temp);
}

QString converterFolder()
{
    return temporaryBase() + u'/' + privateFolderName();
}

QString converterFileName()
{
    return ProgramFileName;
}

QString converterPath()
{
    return converterFolder() + u'/' + ProgramFileName;
}

QString noExecReason(const QString &folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    return {};
#else
    struct statvfs facts;
    if (::statvfs(nativepath::encode(folder).constData(), &facts) != 0)
        return QStringLiteral("The converter folder ") + folder +
               QStringLiteral(" cannot be examined: ") + systemError(errno);
    if (facts.f_flag & ST_NOEXEC)
        return QStringLiteral("The converter folder ") + folder +
               QStringLiteral(" lies on a file system that runs no programs (noexec)");
    return {};
#endif
}

void prepareFolder(const QString &folder)
{
#ifdef Q_OS_WIN
    if (!QFileInfo(folder).exists() && !QDir().mkdir(folder))
        throw Failure(QStringLiteral("The converter folder %1 cannot be created").arg(folder));
#else
    if (::mkdir(nativepath::encode(folder).constData(), 0700) != 0 && errno != EEXIST)
        throw Failure(QStringLiteral("The converter folder %1 cannot be created: %2")
                          .arg(folder, systemError(errno)));
#endif
    const QString reason = unsafeReason(folder, Entry::Folder);
    if (!reason.isEmpty())
        throw Failure(reason + QStringLiteral("; the converter is not run from there"));
}

QString getAddressWidth()
{
    const QString arch = QSysInfo::currentCpuArchitecture();
    if (arch.isEmpty())
        return QString::number(QT_POINTER_SIZE * 8);
    static const QStringList wide = {QStringLiteral("s390x"), QStringLiteral("sparcv9")};
    return arch.contains(QStringLiteral("64")) || wide.contains(arch) ? QStringLiteral("64")
                                                                      : QStringLiteral("32");
}

QString converterResource(const QString &width)
{
    return width == QStringLiteral("64") ? QStringLiteral(":/converter/102")
                                         : QStringLiteral(":/converter/101");
}

QByteArray converterBuild(const QString &width)
{
    static const bool registered = (initConverterResource(), true);
    Q_UNUSED(registered);
    QFile resource(converterResource(width));
    if (!resource.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Resource not found: ") + resource.fileName());
    return resource.readAll();
}

QString unsafeFileReason(const QString &path)
{
    return unsafeReason(path, Entry::File);
}

void writeResourceFile(const QByteArray &block, const QString &path)
{
    QCoreApplication::processEvents();
    if (entryPresent(path)) // a link too: never written through
        return;
    // Never replaces a file: when another instance was quicker, its copy stays.
    CompleteFile file(path);
    file.setMode(0700);
    QString error = file.open();
    if (error.isEmpty())
        error = file.write(block);
    if (error.isEmpty())
        error = file.commit(false);
    if (!error.isEmpty())
        throw Failure(QStringLiteral("The converter cannot be written to %1: %2").arg(path, error));
}

} // namespace converter
