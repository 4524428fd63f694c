// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasswordPrompt.h"

#include <QCoreApplication>

namespace passwordprompt {

QString text(const QString &pdf)
{
    return QCoreApplication::translate("PasswordPrompt", "Enter password for file (%1): ")
               .arg(pdf) +
           QStringLiteral("\r\n") +
           QCoreApplication::translate(
               "PasswordPrompt", "Note: Leave this box blank if file is not password protected");
}

QString sameForOthers()
{
    return QCoreApplication::translate("PasswordPrompt",
                                       "&Use this password for the other protected files");
}

} // namespace passwordprompt
