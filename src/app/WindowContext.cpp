#include "WindowContext.h"

void WindowContext::ShowErrorReport(const QString &tag, int line, const QString &description) const
{
    services->messageBox(Form1, QString::fromUtf16(errorreport::Title),
                         errorreport::message(tag, line, description), MessageButtons::Ok,
                         MessageIcon::Warning);
}

ReportFn WindowContext::reporter() const
{
    return [this](const QString &tag, int line, const QString &description) {
        ShowErrorReport(tag, line, description);
    };
}

MessageAnswer WindowContext::message(const QString &text, MessageButtons buttons,
                                     MessageIcon icon) const
{
    return services->messageBox(Form1, applicationTitle, text, buttons, icon);
}
