// SPDX-License-Identifier: GPL-3.0-or-later
#include "PasswordBox.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace passwordbox {

PasswordAnswer ask(QWidget *owner, const QString &title, const QString &prompt,
                   const QString &checkCaption)
{
    QDialog dialog(owner);
    dialog.setWindowTitle(title);
    dialog.setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(prompt, &dialog);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    layout->addWidget(label);
    auto *field = new QLineEdit(&dialog);
    field->setObjectName(QStringLiteral("passwordEdit"));
    // Dots on the screen, and no input method that keeps or suggests what is typed.
    field->setEchoMode(QLineEdit::Password);
    field->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText |
                               Qt::ImhNoAutoUppercase);
    field->setAccessibleName(QCoreApplication::translate("PasswordBox", "Password"));
    field->setAccessibleDescription(prompt);
    label->setBuddy(field);
    layout->addWidget(field);
    QCheckBox *same = nullptr;
    if (!checkCaption.isEmpty()) {
        same = new QCheckBox(checkCaption, &dialog);
        same->setObjectName(QStringLiteral("sameForOthersBox"));
        layout->addWidget(same);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    field->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return {field->text(), same && same->isChecked()};
}

} // namespace passwordbox
