// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidgetServices.h"

#include "DesktopNotification.h"
#include "PasswordBox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

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

QString saveListCaption()
{
    return QCoreApplication::translate("WidgetServices", "Save &list...");
}

QString openFolderCaption()
{
    return QCoreApplication::translate("WidgetServices", "Open output &folder");
}

QScreen *screenFor(QWidget *owner)
{
    QScreen *screen = owner ? owner->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

// A message box wraps its long lines at about half the screen's width; a text that then takes
// more than half the screen's height does not fit one: its buttons would fall off the screen.
bool tooLargeForABox(const QString &shown, const QFontMetrics &metrics, const QRect &area)
{
    const int wrapWidth = std::max(1, area.width() / 2);
    qsizetype rows = 0;
    for (const QString &line : shown.split(u'\n'))
        rows += 1 + metrics.horizontalAdvance(line) / wrapWidth;
    return rows * metrics.lineSpacing() > area.height() / 2;
}

// The message box's icon as a picture for `dialog`; none for no icon.
QLabel *iconPicture(QDialog &dialog, MessageIcon icon)
{
    const QMessageBox::Icon qtIcon = toQt(icon);
    if (qtIcon == QMessageBox::NoIcon)
        return nullptr;
    auto *picture = new QLabel(&dialog);
    const QStyle::StandardPixmap standard =
        qtIcon == QMessageBox::Information ? QStyle::SP_MessageBoxInformation
        : qtIcon == QMessageBox::Warning   ? QStyle::SP_MessageBoxWarning
        : qtIcon == QMessageBox::Critical  ? QStyle::SP_MessageBoxCritical
                                           : QStyle::SP_MessageBoxQuestion;
    const int extent = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    picture->setPixmap(dialog.style()->standardIcon(standard).pixmap(extent, extent));
    picture->setAlignment(Qt::AlignTop);
    return picture;
}

// The same message in a box that fits on the screen: the text scrolls inside it and can be
// selected and copied; the buttons stay in reach.
MessageAnswer showScrollingMessage(QWidget *owner, const QString &title, const QString &shown,
                                   MessageButtons buttons, MessageIcon icon, const QRect &area)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(&dialog);
    auto *row = new QHBoxLayout;
    layout->addLayout(row);
    if (QLabel *picture = iconPicture(dialog, icon))
        row->addWidget(picture);
    auto *view = new QPlainTextEdit(&dialog);
    view->setReadOnly(true);
    view->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setPlainText(shown);
    // A reader announces the field by its name and reads the message as its value.
    view->setAccessibleName(QCoreApplication::translate("WidgetServices", "Message"));
    row->addWidget(view);
    auto *buttonBox = new QDialogButtonBox(&dialog);
    // Escape (a rejected dialog) answers No or OK.
    MessageAnswer answer = buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    if (buttons == MessageButtons::YesNo) {
        QPushButton *yes = buttonBox->addButton(QDialogButtonBox::Yes);
        buttonBox->addButton(QDialogButtonBox::No);
        QObject::connect(yes, &QPushButton::clicked, &dialog, [&] { answer = MessageAnswer::Yes; });
    } else {
        buttonBox->addButton(QDialogButtonBox::Ok);
    }
    if (buttons == MessageButtons::OkSaveListOpenFolder) {
        QPushButton *save = buttonBox->addButton(saveListCaption(), QDialogButtonBox::ActionRole);
        QPushButton *open = buttonBox->addButton(openFolderCaption(), QDialogButtonBox::ActionRole);
        QObject::connect(save, &QPushButton::clicked, &dialog,
                         [&] { answer = MessageAnswer::SaveList; });
        QObject::connect(open, &QPushButton::clicked, &dialog,
                         [&] { answer = MessageAnswer::OpenFolder; });
    }
    QObject::connect(buttonBox, &QDialogButtonBox::clicked, &dialog, &QDialog::accept);
    layout->addWidget(buttonBox);

    const QFontMetrics metrics(view->font());
    int widest = 0;
    const QStringList lines = shown.split(u'\n');
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const QSize wanted(widest + 80, int(lines.size()) * metrics.lineSpacing() + 120);
    const QSize size = wanted.boundedTo(area.size() * 4 / 5).expandedTo(QSize(320, 200));
    dialog.resize(size);
    dialog.move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    dialog.exec();
    return answer;
}

} // namespace

MessageAnswer WidgetServices::messageBox(QWidget *owner, const QString &title, const QString &text,
                                         MessageButtons buttons, MessageIcon icon)
{
    const QString shown = forDisplay(text);
    const QRect area = screenFor(owner)->availableGeometry();
    const QFont font = owner ? owner->font() : QApplication::font("QMessageBox");
    if (tooLargeForABox(shown, QFontMetrics(font), area))
        return showScrollingMessage(owner, title, shown, buttons, icon, area);
    QMessageBox box(toQt(icon), title, shown,
                    buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                     : QMessageBox::Ok,
                    owner);
    box.setTextFormat(Qt::PlainText);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // The message is the label's name, so that a reader says it, whatever the style.
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
        label->setAccessibleName(shown);
    box.setWindowModality(Qt::ApplicationModal);
    if (buttons == MessageButtons::OkSaveListOpenFolder) {
        QPushButton *save = box.addButton(saveListCaption(), QMessageBox::ActionRole);
        QPushButton *open = box.addButton(openFolderCaption(), QMessageBox::ActionRole);
        // Escape closes the box as OK does.
        box.setEscapeButton(box.button(QMessageBox::Ok));
        box.exec();
        if (box.clickedButton() == save)
            return MessageAnswer::SaveList;
        if (box.clickedButton() == open)
            return MessageAnswer::OpenFolder;
        return MessageAnswer::Ok;
    }
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

PasswordAnswer WidgetServices::passwordBox(QWidget *owner, const QString &title,
                                           const QString &prompt, const QString &checkCaption)
{
    return passwordbox::ask(owner, title, forDisplay(prompt), checkCaption);
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
    QFileDialog dialog(owner, title, QString(), filter);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // Qt's own dialog is larger than a small screen at a large scale; its frame, file types and
    // buttons stay on the screen.
    const QRect area = screenFor(owner)->availableGeometry();
    const int titleBar = dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &dialog);
    dialog.resize(dialog.sizeHint().boundedTo(area.size() - QSize(titleBar, 2 * titleBar)));
    QStringList chosen;
    if (dialog.exec() == QDialog::Accepted)
        chosen = dialog.selectedFiles();
    for (QString &path : chosen)
        path = QDir::toNativeSeparators(path);
    return chosen;
}

QString WidgetServices::saveFileName(QWidget *owner, const QString &title, const QString &suggested,
                                     const QString &filter)
{
    return QDir::toNativeSeparators(QFileDialog::getSaveFileName(owner, title, suggested, filter));
}

bool WidgetServices::openFolder(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void WidgetServices::notify(QWidget *owner, const QString &title, const QString &text)
{
    if (owner)
        QApplication::alert(owner->window()); // until the user comes back to it
    desktopnotification::send(QGuiApplication::applicationDisplayName(), title, forDisplay(text));
}
