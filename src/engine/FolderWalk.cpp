// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderWalk.h"

#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/PathRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The failures that leave a folder out without a word: it denies access, it has gone (or was
// replaced by a file), or the system refuses its path.
bool isSilentFailure(int error)
{
    return error == EACCES || error == EPERM || error == ENOENT || error == ENOTDIR ||
           error == ENAMETOOLONG || error == ELOOP;
}

class OpenFolder
{
public:
    explicit OpenFolder(const QString &path)
        : m_dir(::opendir(nativepath::encode(path).constData()))
    {
        m_error = m_dir ? 0 : errno;
    }
    ~OpenFolder()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    OpenFolder(const OpenFolder &) = delete;
    OpenFolder &operator=(const OpenFolder &) = delete;

    DIR *dir() const { return m_dir; }
    int error() const { return m_error; }

private:
    DIR *m_dir;
    int m_error;
};

// The entries of one folder in listing order, sorted into the two kinds the walk needs.
struct FolderEntries
{
    QStringList fileNames;
    QStringList subfolderNames;
};

// Reads every entry into `entries`. Files are the entries that are not folders themselves, match
// the pattern and are regular files after following a link. Subfolders are real folders (not
// links) whose names neither begin with a dot nor hold an unsafe character; they are gathered only
// when asked for. A failure part way throws, and what was read before it stays in `entries`.
void readEntries(DIR *dir, const FilePattern &pattern, bool withSubfolders, FolderEntries &entries)
{
    const int folderFd = ::dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                throw Failure(qt_error_string(errno));
            return;
        }
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat facts;
            if (::fstatat(folderFd, raw, &facts, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(facts.st_mode) ? DT_DIR : S_ISLNK(facts.st_mode) ? DT_LNK : DT_REG;
        }
        if (type == DT_DIR) {
            if (!withSubfolders || raw[0] == '.')
                continue;
            const QString name = nativepath::decode(raw);
            if (!files::hasUnsafeChars(name))
                entries.subfolderNames.append(name);
            continue;
        }
        if (type != DT_REG && type != DT_LNK)
            continue;
        const QString name = nativepath::decode(raw);
        if (!pattern.matches(name))
            continue;
        struct stat facts;
        if (::fstatat(folderFd, raw, &facts, 0) == 0 && S_ISREG(facts.st_mode))
            entries.fileNames.append(name);
    }
}

QString withSeparator(const QString &folder)
{
    return folder + paths::separator();
}

// The chosen folder's subfolders are walked unless its own name begins with a dot; the root and
// relative spellings such as "." are judged by the folder they name.
bool walksSubfoldersOf(const QString &startFolder)
{
    const QString name = QFileInfo(nativepath::absolute(startFolder)).fileName();
    return !name.startsWith(u'.');
}

using FolderIdentity = std::pair<quint64, quint64>;

} // namespace

FolderWalk::FolderWalk(ReportFn report, AfterFolder afterFolder)
    : m_report(std::move(report)), m_afterFolder(std::move(afterFolder))
{
}

void FolderWalk::run(const QString &startFolder, const FilePattern &pattern,
                     const FolderFiles &files)
{
    Procedure proc(m_report, tags::SubDirectories);
    if (!files::isFolder(startFolder))
        return;
    std::deque<QString> folders{withSeparator(startFolder)};
    bool withSubfolders = walksSubfoldersOf(startFolder);
    QSet<FolderIdentity> walked;
    while (!folders.empty()) {
        const QString folder = std::move(folders.front());
        folders.pop_front();
        FolderEntries entries;
        {
            OpenFolder open(folder);
            bool readable = false;
            proc.run(OpenFolderLine, [&] {
                if (!open.dir()) {
                    if (!isSilentFailure(open.error()))
                        throw Failure(qt_error_string(open.error()));
                    return;
                }
                struct stat facts;
                if (::fstat(::dirfd(open.dir()), &facts) != 0)
                    throw Failure(qt_error_string(errno));
                const FolderIdentity identity{quint64(facts.st_dev), quint64(facts.st_ino)};
                readable = !walked.contains(identity);
                walked.insert(identity);
            });
            if (readable)
                proc.run(ReadFolderLine,
                         [&] { readEntries(open.dir(), pattern, withSubfolders, entries); });
        }
        withSubfolders = true;
        for (const QString &name : std::as_const(entries.subfolderNames))
            folders.push_back(withSeparator(folder + name));
        QStringList accepted;
        for (const QString &name : std::as_const(entries.fileNames)) {
            if (!name.startsWith(u'~') && !name.startsWith(u'.'))
                accepted.append(paths::removeDoubleBackslashes(folder + name));
        }
        if (!accepted.isEmpty())
            files(accepted);
        if (m_afterFolder)
            m_afterFolder();
    }
}

QStringList FolderWalk::collect(const QString &startFolder, const FilePattern &pattern)
{
    QStringList all;
    run(startFolder, pattern, [&](const QStringList &paths) { all.append(paths); });
    return all;
}

QStringList FolderWalk::listFiles(const QString &folder, const FilePattern &pattern)
{
    OpenFolder open(folder);
    if (!open.dir()) {
        if (isSilentFailure(open.error()))
            return {};
        throw Failure(qt_error_string(open.error()));
    }
    FolderEntries entries;
    readEntries(open.dir(), pattern, false, entries);
    return entries.fileNames;
}
