// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterDeployment.h"

#include "CarriedConverter.h"
#include "InstanceLock.h"
#include "platform/ErrorReport.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString LockFileName = QStringLiteral("instances.lock");

bool entryPresent(const QString &path)
{
    return files::fileExists(path) || QFileInfo(path).isSymLink();
}

// Folders for a private folder of this instance alone, best first.
QStringList freshFolderBases()
{
    QStringList bases;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        bases << runtime;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty())
        bases << cache + QStringLiteral("/morwenda");
    return bases;
}

// A new folder "morwenda-XXXXXX" inside `base`, readable by the owner only; "" when none can be
// made there.
QString makeFreshFolder(const QString &base, QString &why)
{
#ifdef Q_OS_WIN
    Q_UNUSED(base);
    why += QStringLiteral("; no private folder of its own on this platform");
    return {};
#else
    if (!QDir().mkpath(base)) {
        why += QStringLiteral("; ") + base + QStringLiteral(" cannot be created");
        return {};
    }
    QByteArray pattern = nativepath::encode(base + QStringLiteral("/morwenda-XXXXXX"));
    if (!::mkdtemp(pattern.data())) {
        why += QStringLiteral("; ") + base + QStringLiteral(": ") + systemError(errno);
        return {};
    }
    return nativepath::decode(pattern);
#endif
}

} // namespace

ConverterDeployment::ConverterDeployment() = default;

ConverterDeployment::~ConverterDeployment()
{
    remove();
}

bool ConverterDeployment::usesSystemConverter()
{
#ifdef MORWENDA_SYSTEM_CONVERTER
    return true;
#else
    return false;
#endif
}

bool ConverterDeployment::settleIn(const QString &folder, const QByteArray &build, QString &why)
{
    const QString path = folder + u'/' + converter::converterFileName();
    try {
        converter::prepareFolder(folder);
        const QString noExec = converter::noExecReason(folder);
        if (!noExec.isEmpty())
            throw Failure(noExec);
        auto lock = std::make_unique<InstanceLock>(folder + u'/' + LockFileName);
        lock->holdShared();
        if (!entryPresent(path)) {
            if (build.isNull())
                throw Failure(QStringLiteral("The program carries no converter build"));
            converter::writeResourceFile(build, path);
        }
        const QString unsafe = converter::unsafeFileReason(path);
        if (!unsafe.isEmpty())
            throw Failure(unsafe + QStringLiteral("; it is not run"));
        m_lock = std::move(lock);
    } catch (const Failure &failure) {
        why += (why.isEmpty() ? QString() : QStringLiteral("; ")) + failure.description();
        return false;
    }
    m_folder = folder;
    m_program = path;
    return true;
}

bool ConverterDeployment::settleInFreshFolder(const QByteArray &build, QString &why)
{
    for (const QString &base : freshFolderBases()) {
        const QString folder = makeFreshFolder(base, why);
        if (folder.isEmpty())
            continue;
        m_freshFolder = true;
        if (settleIn(folder, build, why))
            return true;
        // Nothing of it is run: it goes with what was written into it.
        QDir(folder).removeRecursively();
        m_lock.reset();
        m_freshFolder = false;
    }
    return false;
}

void ConverterDeployment::deploy(Procedure &proc)
{
#ifdef MORWENDA_SYSTEM_CONVERTER
    proc.run(164, [&] {
        const QFileInfo system(QStringLiteral(MORWENDA_SYSTEM_CONVERTER));
        if (!system.isFile() || !system.isExecutable())
            throw Failure(QStringLiteral("No converter can be run: %1 is missing or cannot be "
                                         "run, so no PDF can be converted to text. Install it "
                                         "and start the program again.")
                              .arg(system.filePath()));
        m_program = system.filePath();
    });
#else
    QString width;
    QByteArray build;
    QString why;
    proc.run(154, [&] { width = converter::getAddressWidth(); });
    proc.run(156, [&] { build = converter::converterBuild(width); });
    // The shared private folder of the user's temporary folder; a file already there stays and
    // is used, whatever it holds, when it and its folder are safe.
    bool placed = false;
    proc.run(158, [&] { placed = settleIn(converter::converterFolder(), build, why); });
    // Otherwise a fresh folder of this instance alone, without a word: the user loses nothing.
    if (!placed)
        proc.run(160, [&] { placed = settleInFreshFolder(build, why); });
    proc.run(164, [&] {
        if (!placed)
            throw Failure(QStringLiteral("No converter can be run, so no PDF can be converted to "
                                         "text: ") +
                          why);
    });
#endif
}

QString ConverterDeployment::programWhenNeeded(QString &why)
{
    if (!m_program.isEmpty() || m_triedWhenNeeded) {
        why = m_program.isEmpty() ? m_failure : QString();
        return m_program;
    }
    m_triedWhenNeeded = true;
    Procedure quiet(
        [this](const QString &, int, const QString &description) { m_failure = description; },
        QString());
    deploy(quiet);
    why = m_program.isEmpty() ? m_failure : QString();
    return m_program;
}

void ConverterDeployment::remove()
{
    if (m_program.isEmpty() || usesSystemConverter()) {
        m_program.clear();
        return;
    }
    const QString path = m_program;
    m_program.clear();
    if (m_freshFolder) {
        files::deleteFileSafe(path);
        m_lock.reset();
        QFile::remove(m_folder + u'/' + LockFileName);
        QDir().rmdir(m_folder);
        return;
    }
    if (!m_lock)
        return;
    bool alone = false;
    try {
        alone = m_lock->tryExclusive();
    } catch (const Failure &) {
        alone = false;
    }
    // Another instance still holding its share uses the converter: it stays for that one.
    if (alone) {
        files::deleteFileSafe(path);
        m_lock->removeFile();
    }
    m_lock.reset();
}
