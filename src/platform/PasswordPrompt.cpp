// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasswordPrompt.h"

namespace passwordprompt {

QString text(const QString &pdf)
{
    return QStringLiteral("Enter password for file (") + pdf + QStringLiteral("): ") +
           QStringLiteral("\r\n") +
           QStringLiteral("Note: Leave this box blank if file is not password protected");
}

} // namespace passwordprompt
