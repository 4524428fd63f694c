// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputChoice.h"

#include "platform/CompleteFile.h"
#include "platform/NativePath.h"
#include "platform/PathRules.h"

#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cstdlib>
#include <sys/stat.h>

namespace outputpaths {

QString inFolder(const QString &folder, const QString &pdf, const QString &extension)
{
    return paths::removeDoubleBackslashes(
        folder + paths::separator() + paths::outputFileName(paths::getFileName(pdf), extension));
}

QString besidePdf(const QString &pdf, const QString &extension)
{
    return paths::removeDoubleBackslashes(
        paths::getFolderPath(pdf) + paths::separator() +
        paths::outputFileName(paths::getFileName(pdf), extension));
}

namespace {

// The path with every link resolved, from the system; empty when it does not exist.
QByteArray realPath(const QString &path)
{
    char *resolved = ::realpath(nativepath::encode(path).constData(), nullptr);
    if (!resolved)
        return QByteArray();
    QByteArray bytes(resolved);
    std::free(resolved);
    return bytes;
}

} // namespace

QString notOverThePdf(const QString &output, const QString &pdf, const QString &extension)
{
    const QByteArray target = realPath(output);
    if (target.isEmpty() || target != realPath(pdf))
        return output;
    return output + u'.' + extension;
}

QString forChoice(const OutputChoice &choice, const QString &pdf, const QString &extension)
{
    switch (choice.mode) {
    case OutputChoice::Mode::Folder:
        return notOverThePdf(inFolder(choice.folder, pdf, extension), pdf, extension);
    case OutputChoice::Mode::BesidePdf:
        return notOverThePdf(besidePdf(pdf, extension), pdf, extension);
    case OutputChoice::Mode::None:
        break;
    }
    return QString();
}

namespace {

// The file a directory entry is and, for a link, the file at its end: a text is written through
// a link.
QList<std::pair<quint64, quint64>> entryAndTarget(const QString &path)
{
    QList<std::pair<quint64, quint64>> identities;
    struct stat facts;
    if (::lstat(nativepath::encode(path).constData(), &facts) != 0)
        return identities;
    identities.append({quint64(facts.st_dev), quint64(facts.st_ino)});
    if (S_ISLNK(facts.st_mode) && ::lstat(CompleteFile::placeOf(path).constData(), &facts) == 0)
        identities.append({quint64(facts.st_dev), quint64(facts.st_ino)});
    return identities;
}

} // namespace

ListedFiles::ListedFiles(const QStringList &rows)
{
    for (const QString &row : rows) {
        if (row.isEmpty())
            continue;
        m_places.insert(nativepath::absolute(row));
        for (const auto &identity : entryAndTarget(row))
            m_files.insert(identity);
    }
}

bool ListedFiles::contains(const QString &path) const
{
    if (path.isEmpty())
        return false;
    if (m_places.contains(nativepath::absolute(path)))
        return true;
    if (m_files.isEmpty())
        return false;
    const QList<std::pair<quint64, quint64>> identities = entryAndTarget(path);
    return std::any_of(identities.begin(), identities.end(),
                       [this](const auto &identity) { return m_files.contains(identity); });
}

QString numbered(const QString &output, int n, const QString &extension)
{
    const QString suffix = QStringLiteral(" (%1)").arg(n);
    const QString name = paths::getFileName(output);
    const qsizetype tail = extension.size() + 1;
    if (name.endsWith(u'.' + extension, Qt::CaseInsensitive) && name.size() > tail)
        return output.left(output.size() - tail) + suffix + output.right(tail);
    return output + suffix;
}

QString placeKey(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QStringList numberSameNames(const QStringList &outputs, const ListedFiles &listed,
                            const QString &extension)
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
            while (taken.contains(placeKey(output)) || listed.contains(output))
                output = numbered(first, n++, extension);
            taken.insert(placeKey(output));
        }
        numberedOutputs.append(output);
    }
    return numberedOutputs;
}

} // namespace outputpaths
