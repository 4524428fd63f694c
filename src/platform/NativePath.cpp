// SPDX-License-Identifier: GPL-3.0-or-later
#include "NativePath.h"
#include "SystemError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nativepath {

namespace {

constexpr char16_t KeptFirst = 0xDC80;
constexpr char16_t KeptLast = 0xDCFF;

bool isKept(char16_t c)
{
    return c >= KeptFirst && c <= KeptLast;
}

void appendUtf8(QByteArray &out, char32_t code)
{
    if (code < 0x80) {
        out.append(char(code));
    } else if (code < 0x800) {
        out.append(char(0xC0 | (code >> 6)));
        out.append(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.append(char(0xE0 | (code >> 12)));
        out.append(char(0x80 | ((code >> 6) & 0x3F)));
        out.append(char(0x80 | (code & 0x3F)));
    } else {
        out.append(char(0xF0 | (code >> 18)));
        out.append(char(0x80 | ((code >> 12) & 0x3F)));
        out.append(char(0x80 | ((code >> 6) & 0x3F)));
        out.append(char(0x80 | (code & 0x3F)));
    }
}

// The length of the valid UTF-8 sequence at `at` and its code point; 0 when the bytes there are
// not one (overlong forms, surrogates and code points past U+10FFFF are not).
int validSequence(const unsigned char *bytes, qsizetype size, qsizetype at, char32_t &code)
{
    const unsigned char lead = bytes[at];
    int length;
    char32_t least;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > size)
        return 0;
    for (int i = 1; i < length; ++i) {
        const unsigned char next = bytes[at + i];
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QByteArray encode(const QString &path)
{
    QByteArray out;
    out.reserve(path.size());
    const qsizetype size = path.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = path.at(i).unicode();
        if (c < 0x80) {
            out.append(char(c));
        } else if (QChar::isHighSurrogate(c) && i + 1 < size &&
                   QChar::isLowSurrogate(path.at(i + 1).unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(c, path.at(i + 1).unicode()));
            ++i;
        } else if (isKept(c)) {
            out.append(char(c - KeptFirst + 0x80));
        } else if (QChar::isSurrogate(c)) {
            appendUtf8(out, 0xFFFD); // no name on disk decodes to it
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

QString decode(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto *raw = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        if (raw[i] < 0x80) {
            out.append(QChar(char16_t(raw[i])));
            ++i;
            continue;
        }
        char32_t code = 0;
        const int length = validSequence(raw, size, i, code);
        if (length == 0) {
            out.append(QChar(char16_t(KeptFirst + raw[i] - 0x80)));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(code)) {
            out.append(QChar(QChar::highSurrogate(code)));
            out.append(QChar(QChar::lowSurrogate(code)));
        } else {
            out.append(QChar(char16_t(code)));
        }
        i += length;
    }
    return out;
}

QString decode(const char *bytes)
{
    return decode(QByteArray(bytes));
}

bool holdsKeptBytes(const QString &path)
{
    const qsizetype size = path.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = path.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < size &&
            QChar::isLowSurrogate(path.at(i + 1).unicode()))
            ++i;
        else if (QChar::isSurrogate(c))
            return true;
    }
    return false;
}

QString display(const QString &path)
{
    if (!holdsKeptBytes(path))
        return path;
    QString out = path;
    const qsizetype size = out.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = out.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < size &&
            QChar::isLowSurrogate(out.at(i + 1).unicode()))
            ++i;
        else if (QChar::isSurrogate(c))
            out[i] = QChar(QChar::ReplacementCharacter);
    }
    return out;
}

QString forTerminal(const QString &text)
{
    const QString shown = display(text);
    QString out;
    out.reserve(shown.size());
    for (const QChar c : shown) {
        const char16_t code = c.unicode();
        if ((code < 0x20 && code != u'\n' && code != u'\t') || (code >= 0x7F && code < 0xA0))
            out += QStringLiteral("\\x") +
                   QString::number(uint(code), 16).toUpper().rightJustified(2, u'0');
        else
            out += c;
    }
    return out;
}

QStringList arguments(int argc, const char *const *argv)
{
    QStringList all;
    for (int i = 0; i < argc; ++i)
        all.append(decode(argv[i]));
    return all;
}

QString absolute(const QString &path)
{
    if (path.startsWith(u'/'))
        return QDir::cleanPath(path);
    QByteArray here(4096, '\0');
    while (!::getcwd(here.data(), size_t(here.size()))) {
        if (errno != ERANGE)
            return QDir::cleanPath(QDir::currentPath() + u'/' + path);
        here.resize(here.size() * 2);
    }
    here.truncate(qsizetype(std::strlen(here.constData())));
    return QDir::cleanPath(decode(here) + u'/' + path);
}

QString fromLossy(const QString &path)
{
    struct stat facts;
    if (!path.contains(QChar(QChar::ReplacementCharacter)) || !path.startsWith(u'/') ||
        ::lstat(encode(path).constData(), &facts) == 0)
        return path;
    const QStringList names = path.split(u'/');
    QString found;
    for (const QString &name : names) {
        if (name.isEmpty())
            continue;
        const QString parent = found.isEmpty() ? QStringLiteral("/") : found;
        QString next = found + u'/' + name;
        if (name.contains(QChar(QChar::ReplacementCharacter)) &&
            ::lstat(encode(next).constData(), &facts) != 0) {
            DIR *dir = ::opendir(encode(parent).constData());
            if (!dir)
                return path;
            QString match;
            int matches = 0;
            while (const dirent *entry = ::readdir(dir)) {
                if (QFile::decodeName(entry->d_name) == name) {
                    match = decode(entry->d_name);
                    ++matches;
                }
            }
            ::closedir(dir);
            if (matches != 1)
                return path;
            next = found + u'/' + match;
        }
        found = next;
    }
    if (path.endsWith(u'/'))
        found += u'/';
    return found;
}

int openForReading(const QString &path, QString &reason)
{
    const QByteArray bytes = encode(path);
    if (bytes.isEmpty() || bytes.contains('\0')) {
        reason = systemReason(bytes.isEmpty() ? ENOENT : EINVAL);
        return -1;
    }
    const int fd = ::open(bytes.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        reason = systemReason(errno);
        return -1;
    }
    struct stat facts;
    if (::fstat(fd, &facts) != 0) {
        reason = systemReason(errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(facts.st_mode)) {
        reason =
            S_ISDIR(facts.st_mode) ? systemReason(EISDIR) : QStringLiteral("not a regular file");
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool makePath(const QString &path)
{
    const QByteArray bytes = encode(QDir::cleanPath(path));
    struct stat facts;
    for (qsizetype slash = bytes.indexOf('/', 1); slash != -1 || !bytes.isEmpty();
         slash = bytes.indexOf('/', slash + 1)) {
        const QByteArray part = slash == -1 ? bytes : bytes.left(slash);
        if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return false;
        if (slash == -1)
            break;
    }
    return ::stat(bytes.constData(), &facts) == 0 && S_ISDIR(facts.st_mode);
}

QString systemReason(int error)
{
    return systemError(error);
}

} // namespace nativepath
