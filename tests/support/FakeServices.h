// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Services.h"

#include <functional>
#include <QList>
#include <QString>
#include <QStringList>

// A scripted stand-in for the dialogs. Each box the program shows is recorded and answered from a
// queue of expectations, in order; a box of another kind than the next expectation, or one with
// nothing queued, fails the running test and is answered as if cancelled.
class FakeServices final : public Services
{
public:
    enum class Kind
    {
        Message,
        Input,
        Folder,
        OpenFiles,
        OpenFolder,
        SaveFile,
        Password
    };

    struct Box
    {
        Kind kind;
        QString title;
        QString text; // message text, input prompt, the path given to open, or a filter
        MessageButtons buttons = MessageButtons::Ok;
        MessageIcon icon = MessageIcon::NoIcon;
        QString preset; // input preset, the start folder of a folder chooser, the path a
                        // save-file dialog suggests, or a password box's check box caption
    };

    // A desktop notification: recorded, never expected (it asks nothing of the user).
    struct Notification
    {
        QString title;
        QString text;
    };

    // Runs while the box is "open" (to click something during a modal box, say).
    using Hook = std::function<void(const Box &)>;

    void expectMessage(MessageAnswer answer = MessageAnswer::Ok, Hook hook = {});
    void expectInput(const QString &answer, Hook hook = {});
    // A password box, answered with `answer` and the check box as `forTheOthers`. A plain input
    // box where a password box is expected fails the test: it would show the password.
    void expectPassword(const QString &answer, bool forTheOthers = false, Hook hook = {});
    void expectFolder(const QString &answer, Hook hook = {});
    void expectFiles(const QStringList &answer, Hook hook = {});
    void expectOpenFolder(bool opened = true);
    void expectSaveFile(const QString &answer, Hook hook = {});

    const QList<Box> &boxes() const { return m_boxes; }
    const QList<Notification> &notifications() const { return m_notifications; }
    QList<Box> takeBoxes();
    // Queued expectations that no box used yet.
    int pending() const { return int(m_queue.size()); }
    // Every box shown so far, readable in a failure message.
    QString describeBoxes() const;

    MessageAnswer messageBox(QWidget *owner, const QString &title, const QString &text,
                             MessageButtons buttons, MessageIcon icon) override;
    QString inputBox(QWidget *owner, const QString &title, const QString &prompt,
                     const QString &preset) override;
    QString browseForFolder(QWidget *owner, const QString &title,
                            const QString &startFolder) override;
    QStringList openFileNames(QWidget *owner, const QString &title, const QString &filter) override;
    QString saveFileName(QWidget *owner, const QString &title, const QString &suggested,
                         const QString &filter) override;
    bool openFolder(const QString &path) override;
    PasswordAnswer passwordBox(QWidget *owner, const QString &title, const QString &prompt,
                               const QString &checkCaption) override;
    void notify(QWidget *owner, const QString &title, const QString &text) override;

private:
    struct Expectation
    {
        Kind kind = Kind::Message;
        MessageAnswer message = MessageAnswer::Ok;
        QString text;
        QStringList files;
        bool opened = true;
        bool forTheOthers = false;
        Hook hook;
    };

    // Records the box and takes the matching expectation; false when there was none.
    bool take(const Box &box, Expectation *out);

    QList<Box> m_boxes;
    QList<Expectation> m_queue;
    QList<Notification> m_notifications;
};

const char *kindName(FakeServices::Kind kind);
