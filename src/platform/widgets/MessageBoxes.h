// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ErrorReport.h"
#include "platform/Services.h"

#include <QString>

class QWidget;

// The boxes one window shows: messages titled with the application title, the error report and
// the password box, all through the services seam and owned by that window.
class MessageBoxes
{
public:
    MessageBoxes(Services &services, QWidget *owner) : m_services(services), m_owner(owner) {}
    MessageBoxes(const MessageBoxes &) = delete;
    MessageBoxes &operator=(const MessageBoxes &) = delete;

    // The application title that titles every box without a title of its own.
    void setTitle(const QString &applicationTitle) { m_title = applicationTitle; }
    const QString &title() const { return m_title; }

    Services &services() const { return m_services; }
    QWidget *owner() const { return m_owner; }

    // A message box titled with the application title; returns the button that closed it.
    MessageAnswer message(const QString &text, MessageButtons buttons = MessageButtons::Ok,
                          MessageIcon icon = MessageIcon::NoIcon) const;

    // The "Application Error" box for a failed statement of a procedure.
    void showErrorReport(const QString &tag, int line, const QString &description) const;
    // showErrorReport as the report function of a Procedure.
    ReportFn reporter() const;

    // The password box for one PDF (batch run and preview alike), its field masked; a run's box
    // offers its password for the other protected files. Cancel gives "".
    PasswordAnswer askPassword(const QString &pdf, bool offerForTheOthers = false) const;

private:
    Services &m_services;
    QWidget *m_owner;
    QString m_title;
};
