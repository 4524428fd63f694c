#include "Converter.h"

#include "InstanceLock.h"
#include "platform/ErrorReport.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"

#include <memory>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryFile>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

// The resource file lives in this static library; naming its initializer here links it into
// every program that deploys.
static void initConverterResource()
{
    Q_INIT_RESOURCE(converter);
}

namespace converter {

namespace {

const QString LockFileName = QStringLiteral("instances.lock");
#ifdef Q_OS_WIN
const QString ConverterFileName = QStringLiteral("pdftotext.exe");
#else
const QString ConverterFileName = QStringLiteral("pdftotext");
#endif

// This instance's share of the instance lock, held from deployment to shutdown.
std::unique_ptr<InstanceLock> &heldLock()
{
    static std::unique_ptr<InstanceLock> lock;
    return lock;
}

QString temporaryFolder()
{
    const QString temp = qEnvironmentVariable("TEMP");
    return QDir::cleanPath(temp.isEmpty() ? QDir::tempPath() : temp);
}

QString privateFolderName()
{
#ifdef Q_OS_WIN
    // TEMP is the user's own folder on Windows.
    return QStringLiteral("morwenda");
#else
    return QStringLiteral("morwenda-") + QString::number(::geteuid());
#endif
}

#ifndef Q_OS_WIN
QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
#endif

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
    if (::lstat(QFile::encodeName(path).constData(), &facts) != 0)
        return what + path + QStringLiteral(" cannot be examined: ") + systemError();
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

// Creates the private folder (owner only) when it is missing. Throws Failure when it cannot be
// made or is not safe to run a program from.
void prepareFolder(const QString &folder)
{
#ifdef Q_OS_WIN
    if (!QFileInfo(folder).exists() && !QDir().mkdir(folder))
        throw Failure(QStringLiteral("The converter folder %1 cannot be created").arg(folder));
#else
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
        throw Failure(QStringLiteral("The converter folder %1 cannot be created: %2")
                          .arg(folder, systemError()));
#endif
    const QString reason = unsafeReason(folder, Entry::Folder);
    if (!reason.isEmpty())
        throw Failure(reason + QStringLiteral("; the converter is not run from there"));
}

void holdInstanceLock(const QString &folder)
{
    const QString path = folder + u'/' + LockFileName;
    std::unique_ptr<InstanceLock> &held = heldLock();
    if (held && held->path() == path)
        return;
    held.reset();
    auto lock = std::make_unique<InstanceLock>(path);
    lock->holdShared();
    held = std::move(lock);
}

bool entryPresent(const QString &path)
{
    return files::FileExists(path) || QFileInfo(path).isSymLink();
}

} // namespace

QString ConverterFolder()
{
    return temporaryFolder() + u'/' + privateFolderName();
}

QString ConverterPath()
{
    return ConverterFolder() + u'/' + ConverterFileName;
}

QString GetAddressWidth()
{
    const QString arch = QSysInfo::currentCpuArchitecture();
    if (arch.isEmpty())
        return QString::number(QT_POINTER_SIZE * 8);
    static const QStringList wide = {QStringLiteral("s390x"), QStringLiteral("sparcv9")};
    return arch.contains(QStringLiteral("64")) || wide.contains(arch) ? QStringLiteral("64")
                                                                      : QStringLiteral("32");
}

QString ConverterResource(const QString &width)
{
    return width == QStringLiteral("64") ? QStringLiteral(":/converter/102")
                                         : QStringLiteral(":/converter/101");
}

QByteArray ConverterBuild(const QString &width)
{
    static const bool registered = (initConverterResource(), true);
    Q_UNUSED(registered);
    QFile resource(ConverterResource(width));
    if (!resource.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Resource not found: ") + resource.fileName());
    return resource.readAll();
}

QString UnsafeFolderReason(const QString &path)
{
    return unsafeReason(path, Entry::Folder);
}

QString UnsafeFileReason(const QString &path)
{
    return unsafeReason(path, Entry::File);
}

QString ProgramToRun()
{
    const QString path = ConverterPath();
    if (!unsafeReason(ConverterFolder(), Entry::Folder).isEmpty() ||
        !unsafeReason(path, Entry::File).isEmpty())
        return {};
    return path;
}

void WriteResourceFile(const QByteArray &block, const QString &path)
{
    QCoreApplication::processEvents();
    if (files::FileExists(path))
        return;
    QTemporaryFile part(path + QStringLiteral(".part-XXXXXX"));
    if (!part.open())
        throw Failure(QStringLiteral("The converter cannot be written to %1: %2")
                          .arg(path, part.errorString()));
    if (part.write(block) != block.size() || !part.flush())
        throw Failure(QStringLiteral("The converter cannot be written to %1: %2")
                          .arg(path, part.errorString()));
    part.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    part.close();
    // Never replaces a file: when another instance was quicker, its copy stays.
    if (!part.rename(path)) {
        if (entryPresent(path))
            return;
        throw Failure(QStringLiteral("The converter cannot be written to %1: %2")
                          .arg(path, part.errorString()));
    }
    part.setAutoRemove(false);
}

void Deploy(Procedure &proc)
{
    QString width;
    QByteArray build;
    QString folder;
    proc.run(154, [&] { width = GetAddressWidth(); });
    proc.run(156, [&] { build = ConverterBuild(width); });
    if (!proc.run(158, [&] {
            folder = ConverterFolder();
            prepareFolder(folder);
        }))
        return; // nothing is written to, locked in or run from a folder that is not safe
    proc.run(160, [&] { holdInstanceLock(folder); });
    proc.run(162, [&] {
        // A file already there stays and is used, whatever it holds.
        const QString path = folder + u'/' + ConverterFileName;
        if (!build.isNull() && !entryPresent(path))
            WriteResourceFile(build, path);
    });
    proc.run(164, [&] {
        const QString path = folder + u'/' + ConverterFileName;
        if (!entryPresent(path))
            return; // the missing build or the failed write has been reported
        const QString reason = unsafeReason(path, Entry::File);
        if (!reason.isEmpty())
            throw Failure(reason + QStringLiteral("; it is not run"));
    });
}

void RemoveAtShutdown()
{
    std::unique_ptr<InstanceLock> lock = std::move(heldLock());
    const QString folder = ConverterFolder();
    // A folder that is not this user's own is never touched.
    if (!unsafeReason(folder, Entry::Folder).isEmpty())
        return;
    const QString path = folder + u'/' + LockFileName;
    if (!lock || lock->path() != path)
        lock = std::make_unique<InstanceLock>(path);
    bool alone = false;
    try {
        alone = lock->tryExclusive();
    } catch (const Failure &) {
        alone = false;
    }
    if (alone)
        files::DeleteFileSafe(ConverterPath());
    lock->release();
}

} // namespace converter
