// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBoxes.h"

#include "platform/PasswordPrompt.h"

MessageAnswer MessageBoxes::message(const QString &text, MessageButtons buttons,
                                    MessageIcon icon) const
{
    return m_services.messageBox(m_owner, m_title, text, buttons, icon);
}

void MessageBoxes::showErrorReport(const QString &tag, int line, const QString &description) const
{
    m_services.messageBox(m_owner, QString::fromUtf16(errorreport::Title),
                          errorreport::message(tag, line, description), MessageButtons::Ok,
                          MessageIcon::Warning);
}

ReportFn MessageBoxes::reporter() const
{
    return [this](const QString &tag, int line, const QString &description) {
        showErrorReport(tag, line, description);
    };
}

QString MessageBoxes::askPassword(const QString &pdf) const
{
    return m_services.inputBox(m_owner, QString::fromUtf16(passwordprompt::Title),
                               passwordprompt::text(pdf), QString());
}
