#include "WidgetServices.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

namespace {

// The program separates lines with CR alone or CR LF; Qt's labels break lines at LF.
QString forDisplay(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageAnswer WidgetServices::messageBox(QWidget *owner, const QString &title, const QString &text,
                                         MessageButtons buttons, MessageIcon icon)
{
    QMessageBox box(toQt(icon), title, forDisplay(text),
                    buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                     : QMessageBox::Ok,
                    owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Ok;
    }
}

QString WidgetServices::inputBox(QWidget *owner, const QString &title, const QString &prompt,
                                 const QString &preset)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(owner, title, forDisplay(prompt), QLineEdit::Normal, preset, &ok);
    return ok ? answer : QString();
}

QString WidgetServices::browseForFolder(QWidget *owner, const QString &title,
                                        const QString &startFolder)
{
    const QString start = QFileInfo(startFolder).isDir() ? startFolder : QString();
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, title, start, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty())
        return QString();
    const QString native = QDir::toNativeSeparators(chosen);
    // Only a root keeps its trailing separator.
    if (native.size() > 1 && native.endsWith(QDir::separator()) && !QDir(chosen).isRoot())
        return native.chopped(1);
    return native;
}

QStringList WidgetServices::openFileNames(QWidget *owner, const QString &title,
                                          const QString &filter)
{
    QStringList chosen = QFileDialog::getOpenFileNames(owner, title, QString(), filter, nullptr,
                                                       QFileDialog::HideNameFilterDetails);
    for (QString &path : chosen)
        path = QDir::toNativeSeparators(path);
    return chosen;
}

bool WidgetServices::openFolder(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
