// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

enum class MessageIcon
{
    NoIcon,
    Information,
    Warning,
    Critical,
    Question
};
enum class MessageButtons
{
    Ok,
    YesNo,
    // The end of a run: OK, "Save list..." and "Open output folder".
    OkSaveListOpenFolder
};
enum class MessageAnswer
{
    Ok,
    Yes,
    No,
    SaveList,
    OpenFolder
};

// What a password box was closed with.
struct PasswordAnswer
{
    QString password;          // "" on Cancel
    bool forTheOthers = false; // the box's check box was ticked when OK closed it
};

// Everything the program shows modally or hands to the desktop goes through here, so that tests
// can answer it. Texts are the program's own: lines are separated by CR (and CR LF), which the
// real implementation turns into line breaks for display only.
class Services
{
public:
    Services() = default;
    virtual ~Services() = default;
    Services(const Services &) = delete;
    Services &operator=(const Services &) = delete;

    // Shows a modal message box and returns the button that closed it.
    virtual MessageAnswer messageBox(QWidget *owner, const QString &title, const QString &text,
                                     MessageButtons buttons, MessageIcon icon) = 0;

    // Shows a modal input box with OK and Cancel, preset with the given answer; Cancel gives "".
    virtual QString inputBox(QWidget *owner, const QString &title, const QString &prompt,
                             const QString &preset) = 0;

    // The input box's password mode: the prompt, a field that shows what is typed as dots, and,
    // when `checkCaption` is not "", an unticked check box with that caption under the field.
    // Cancel gives "" and the check box as unticked.
    virtual PasswordAnswer passwordBox(QWidget *owner, const QString &title, const QString &prompt,
                                       const QString &checkCaption) = 0;

    // Shows a modal chooser of file-system folders with the start folder preselected. Returns the
    // chosen folder without a trailing separator (a root keeps its own), or "" when cancelled.
    virtual QString browseForFolder(QWidget *owner, const QString &title,
                                    const QString &startFolder) = 0;

    // Shows a modal multi-select open-files dialog; returns full paths in the dialog's order, an
    // empty list when cancelled.
    virtual QStringList openFileNames(QWidget *owner, const QString &title,
                                      const QString &filter) = 0;

    // Shows a modal save-file dialog starting at `suggested` (a full path); returns the chosen
    // path, or "" when cancelled. The dialog asks before an existing file is replaced.
    virtual QString saveFileName(QWidget *owner, const QString &title, const QString &suggested,
                                 const QString &filter) = 0;

    // Opens the folder in the desktop's file manager; false when that could not be started.
    virtual bool openFolder(const QString &path) = 0;

    // Tells the user that something has ended while they looked elsewhere: a desktop
    // notification, and the owner's window marked as wanting attention. Returns at once; quietly
    // does only what the desktop allows (no notification without a session bus).
    virtual void notify(QWidget *owner, const QString &title, const QString &text) = 0;
};
