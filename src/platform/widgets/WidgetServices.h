// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Services.h"

// The real dialogs: Qt's message box, input box, the password box and file dialogs; the desktop's
// file manager and its notifications.
class WidgetServices final : public Services
{
public:
    WidgetServices() = default;

    MessageAnswer messageBox(QWidget *owner, const QString &title, const QString &text,
                             MessageButtons buttons, MessageIcon icon) override;
    QString inputBox(QWidget *owner, const QString &title, const QString &prompt,
                     const QString &preset) override;
    PasswordAnswer passwordBox(QWidget *owner, const QString &title, const QString &prompt,
                               const QString &checkCaption) override;
    QString browseForFolder(QWidget *owner, const QString &title,
                            const QString &startFolder) override;
    QStringList openFileNames(QWidget *owner, const QString &title, const QString &filter) override;
    QString saveFileName(QWidget *owner, const QString &title, const QString &suggested,
                         const QString &filter) override;
    bool openFolder(const QString &path) override;
    void notify(QWidget *owner, const QString &title, const QString &text) override;
};
