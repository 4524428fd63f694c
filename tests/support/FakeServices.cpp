// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeServices.h"

#include <QTest>

const char *kindName(FakeServices::Kind kind)
{
    switch (kind) {
    case FakeServices::Kind::Message:
        return "message box";
    case FakeServices::Kind::Input:
        return "input box";
    case FakeServices::Kind::Folder:
        return "folder chooser";
    case FakeServices::Kind::OpenFiles:
        return "open-files dialog";
    case FakeServices::Kind::OpenFolder:
        return "open folder";
    case FakeServices::Kind::SaveFile:
        return "save-file dialog";
    case FakeServices::Kind::Password:
        return "password box";
    }
    return "?";
}

void FakeServices::expectMessage(MessageAnswer answer, Hook hook)
{
    Expectation e;
    e.kind = Kind::Message;
    e.message = answer;
    e.hook = std::move(hook);
    m_queue.append(e);
}

void FakeServices::expectSaveFile(const QString &answer, Hook hook)
{
    Expectation e;
    e.kind = Kind::SaveFile;
    e.text = answer;
    e.hook = std::move(hook);
    m_queue.append(e);
}

void FakeServices::expectInput(const QString &answer, Hook hook)
{
    Expectation e;
    e.kind = Kind::Input;
    e.text = answer;
    e.hook = std::move(hook);
    m_queue.append(e);
}

void FakeServices::expectPassword(const QString &answer, bool forTheOthers, Hook hook)
{
    Expectation e;
    e.kind = Kind::Password;
    e.text = answer;
    e.forTheOthers = forTheOthers;
    e.hook = std::move(hook);
    m_queue.append(e);
}

void FakeServices::expectFolder(const QString &answer, Hook hook)
{
    Expectation e;
    e.kind = Kind::Folder;
    e.text = answer;
    e.hook = std::move(hook);
    m_queue.append(e);
}

void FakeServices::expectFiles(const QStringList &answer, Hook hook)
{
    Expectation e;
    e.kind = Kind::OpenFiles;
    e.files = answer;
    e.hook = std::move(hook);
    m_queue.append(e);
}

void FakeServices::expectOpenFolder(bool opened)
{
    Expectation e;
    e.kind = Kind::OpenFolder;
    e.opened = opened;
    m_queue.append(e);
}

QList<FakeServices::Box> FakeServices::takeBoxes()
{
    QList<Box> taken;
    taken.swap(m_boxes);
    return taken;
}

QString FakeServices::describeBoxes() const
{
    QString out;
    for (const Box &box : m_boxes) {
        QString text = box.text;
        text.replace(u'\r', QStringLiteral("<CR>")).replace(u'\n', QStringLiteral("<LF>"));
        out += QStringLiteral("  %1 \"%2\": %3\n")
                   .arg(QString::fromLatin1(kindName(box.kind)), box.title, text);
    }
    return out;
}

bool FakeServices::take(const Box &box, Expectation *out)
{
    m_boxes.append(box);
    QString shown = box.text;
    shown.replace(u'\r', QStringLiteral("<CR>")).replace(u'\n', QStringLiteral("<LF>"));
    if (m_queue.isEmpty()) {
        QTest::qFail(
            qPrintable(QStringLiteral("unexpected %1 \"%2\": %3")
                           .arg(QString::fromLatin1(kindName(box.kind)), box.title, shown)),
            __FILE__, __LINE__);
        return false;
    }
    if (m_queue.front().kind != box.kind) {
        QTest::qFail(
            qPrintable(QStringLiteral("expected a %1 but the program showed a %2 \"%3\": %4")
                           .arg(QString::fromLatin1(kindName(m_queue.front().kind)),
                                QString::fromLatin1(kindName(box.kind)), box.title, shown)),
            __FILE__, __LINE__);
        return false;
    }
    *out = m_queue.takeFirst();
    if (out->hook)
        out->hook(box);
    return true;
}

MessageAnswer FakeServices::messageBox(QWidget *, const QString &title, const QString &text,
                                       MessageButtons buttons, MessageIcon icon)
{
    Expectation e;
    if (!take({Kind::Message, title, text, buttons, icon, {}}, &e))
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    return e.message;
}

QString FakeServices::inputBox(QWidget *, const QString &title, const QString &prompt,
                               const QString &preset)
{
    Expectation e;
    if (!take({Kind::Input, title, prompt, MessageButtons::Ok, MessageIcon::NoIcon, preset}, &e))
        return QString();
    return e.text;
}

QString FakeServices::browseForFolder(QWidget *, const QString &title, const QString &startFolder)
{
    Expectation e;
    if (!take({Kind::Folder, title, {}, MessageButtons::Ok, MessageIcon::NoIcon, startFolder}, &e))
        return QString();
    return e.text;
}

QStringList FakeServices::openFileNames(QWidget *, const QString &title, const QString &filter)
{
    Expectation e;
    if (!take({Kind::OpenFiles, title, filter, MessageButtons::Ok, MessageIcon::NoIcon, {}}, &e))
        return {};
    return e.files;
}

QString FakeServices::saveFileName(QWidget *, const QString &title, const QString &suggested,
                                   const QString &filter)
{
    Expectation e;
    if (!take({Kind::SaveFile, title, filter, MessageButtons::Ok, MessageIcon::NoIcon, suggested},
              &e))
        return QString();
    return e.text;
}

bool FakeServices::openFolder(const QString &path)
{
    Expectation e;
    if (!take({Kind::OpenFolder, {}, path, MessageButtons::Ok, MessageIcon::NoIcon, {}}, &e))
        return false;
    return e.opened;
}

PasswordAnswer FakeServices::passwordBox(QWidget *, const QString &title, const QString &prompt,
                                         const QString &checkCaption)
{
    Expectation e;
    if (!take(
            {Kind::Password, title, prompt, MessageButtons::Ok, MessageIcon::NoIcon, checkCaption},
            &e))
        return {};
    return {e.text, e.forTheOthers};
}

void FakeServices::notify(QWidget *, const QString &title, const QString &text)
{
    m_notifications.append({title, text});
}
