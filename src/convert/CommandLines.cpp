#include "CommandLines.h"

#include <QFileInfo>

namespace {

QStringList passwordArguments(const QString &password, PasswordRole role)
{
    if (password.isEmpty())
        return {};
    return {role == PasswordRole::User ? QStringLiteral("-upw") : QStringLiteral("-opw"), password};
}

} // namespace

QString PositionalPath(const QString &path)
{
    return path.startsWith(u'-') ? QFileInfo(path).absoluteFilePath() : path;
}

QStringList BatchArguments(const QString &pdf, const QString &output, const QString &password,
                           PasswordRole role)
{
    return passwordArguments(password, role) << PositionalPath(pdf) << PositionalPath(output);
}

QStringList PreviewArguments(const QString &pdf, const QString &output, const QString &password,
                             PasswordRole role)
{
    return passwordArguments(password, role)
           << QStringLiteral("-f") << QStringLiteral("1") << QStringLiteral("-l")
           << QStringLiteral("100") << PositionalPath(pdf) << PositionalPath(output);
}
