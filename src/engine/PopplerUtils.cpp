// SPDX-License-Identifier: GPL-3.0-or-later
#include "PopplerUtils.h"

namespace popplerutils {

QStringList passwordArguments(const QString &password, bool asUser)
{
    if (password.isEmpty())
        return {};
    return {asUser ? QStringLiteral("-upw") : QStringLiteral("-opw"), password};
}

bool saysWrongPassword(const QString &errorOutput)
{
    return errorOutput.contains(QStringLiteral("Incorrect password"));
}

QString openFailure(const QString &errorOutput)
{
    const qsizetype at = errorOutput.indexOf(QStringLiteral("Couldn't open file '"));
    if (at < 0)
        return QString();
    const qsizetype lineEnd = errorOutput.indexOf(u'\n', at);
    const QString line = errorOutput.mid(at, lineEnd < 0 ? -1 : lineEnd - at);
    const qsizetype reason = line.lastIndexOf(QStringLiteral("': "));
    return reason < 0 ? QString() : line.mid(reason + 3).trimmed();
}

} // namespace popplerutils
