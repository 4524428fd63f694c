// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBoxes.h"

#include "platform/PasswordPrompt.h"

#include <QCoreApplication>

namespace {

// The boxes' own titles, marked here for the translation tools (errorreport::Title and
// passwordprompt::Title hold the same English texts).
[[maybe_unused]] const char *const TitlesToTranslate[] = {
    QT_TRANSLATE_NOOP("MessageBoxes", "Application Error"),
    QT_TRANSLATE_NOOP("MessageBoxes", "Input Password"),
};

QString translatedTitle(const char16_t *title)
{
    return QCoreApplication::translate("MessageBoxes", QString::fromUtf16(title).toUtf8());
}

} // namespace

MessageAnswer MessageBoxes::message(const QString &text, MessageButtons buttons,
                                    MessageIcon icon) const
{
    return m_services.messageBox(m_owner, m_title, text, buttons, icon);
}

void MessageBoxes::showErrorReport(const QString &tag, int line, const QString &description) const
{
    m_services.messageBox(m_owner, translatedTitle(errorreport::Title),
                          errorreport::message(tag, line, description), MessageButtons::Ok,
                          MessageIcon::Warning);
}

ReportFn MessageBoxes::reporter() const
{
    return [this](const QString &tag, int line, const QString &description) {
        showErrorReport(tag, line, description);
    };
}

PasswordAnswer MessageBoxes::askPassword(const QString &pdf, bool offerForTheOthers) const
{
    return m_services.passwordBox(m_owner, translatedTitle(passwordprompt::Title),
                                  passwordprompt::text(pdf),
                                  offerForTheOthers ? passwordprompt::sameForOthers() : QString());
}
