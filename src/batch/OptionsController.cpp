// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionsController.h"

#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/widgets/MessageBoxes.h"
#include "platform/PathRules.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The check box's value as stored: 0 clear, 1 ticked, 2 greyed.
int storedValue(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

Qt::CheckState checkStateFor(qint16 value)
{
    switch (value) {
    case 0:
        return Qt::Unchecked;
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked; // greyed
    default:
        throw Failure(QStringLiteral("Invalid property value"));
    }
}

} // namespace

OptionsController::OptionsController(Controls controls, SettingsStore &settings,
                                     const MessageBoxes &boxes, QObject *parent)
    : QObject(parent), m_controls(controls), m_settings(settings), m_boxes(boxes)
{
    // A button that becomes selected is clicked, whether by the user or by the start-up restore.
    for (QRadioButton *option : {m_controls.saveToFolderOption, m_controls.saveBesidePdfOption}) {
        connect(option, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected)
                storeSaveOptions();
        });
    }
    connect(m_controls.askPasswordBox, &QCheckBox::stateChanged, this,
            &OptionsController::storeAskPassword);
    connect(m_controls.outputFolderEdit, &QLineEdit::textChanged, this,
            &OptionsController::storeOutputFolder);
    connect(m_controls.browseOutputButton, &QPushButton::clicked, this,
            &OptionsController::browseOutputFolder);
}

OutputChoice OptionsController::outputChoice() const
{
    OutputChoice choice;
    if (m_controls.saveToFolderOption->isChecked())
        choice.mode = OutputChoice::Mode::Folder;
    else if (m_controls.saveBesidePdfOption->isChecked())
        choice.mode = OutputChoice::Mode::BesidePdf;
    choice.folder = m_controls.outputFolderEdit->text();
    // A greyed box asks for nothing.
    choice.askPassword = m_controls.askPasswordBox->checkState() == Qt::Checked;
    return choice;
}

void OptionsController::restoreChoices(Procedure &proc)
{
    proc.run(140, [&] {
        const Qt::CheckState state = checkStateFor(
            settingtext::toInt16(m_settings.getSetting(settingkeys::AskPassword, "0")));
        // A greyed box is shown as stored, once: the user's clicks then only tick and clear it.
        m_controls.askPasswordBox->setTristate(state == Qt::PartiallyChecked);
        m_controls.askPasswordBox->setCheckState(state);
    });
    proc.run(142, [&] {
        m_controls.outputFolderEdit->setText(
            m_settings.getSetting(settingkeys::OutputFolder, files::desktopOrHomeFolder()));
    });
    proc.run(144, [&] {
        m_controls.saveToFolderOption->setChecked(
            settingtext::toBoolean(m_settings.getSetting(settingkeys::SaveToFolder, "1")));
    });
    proc.run(146, [&] {
        m_controls.saveBesidePdfOption->setChecked(
            settingtext::toBoolean(m_settings.getSetting(settingkeys::SaveBesidePdf, "0")));
    });
    m_controls.outputFolderFrame->setEnabled(m_controls.saveToFolderOption->isChecked());
}

void OptionsController::storeChoice(const QString &key, const QString &text)
{
    // These handlers run for every click and keystroke; the window goes on with the choice it
    // shows.
    if (const QString failure = m_settings.storeChoice(key, text); !failure.isEmpty())
        m_boxes.message(tr("Your choices cannot be saved for the next start: ") + failure +
                            QStringLiteral("\r\r") + SettingsStore::location(),
                        MessageButtons::Ok, MessageIcon::Warning);
}

void OptionsController::storeSaveOptions()
{
    storeChoice(settingkeys::SaveToFolder,
                settingtext::fromBool(m_controls.saveToFolderOption->isChecked()));
    storeChoice(settingkeys::SaveBesidePdf,
                settingtext::fromBool(m_controls.saveBesidePdfOption->isChecked()));
    m_controls.outputFolderFrame->setEnabled(m_controls.saveToFolderOption->isChecked());
}

void OptionsController::storeAskPassword()
{
    QCheckBox *box = m_controls.askPasswordBox;
    // Once the user has moved a restored greyed box on, it only ticks and clears.
    if (box->isTristate() && box->checkState() != Qt::PartiallyChecked)
        box->setTristate(false);
    storeChoice(settingkeys::AskPassword, settingtext::fromInt(storedValue(box->checkState())));
}

void OptionsController::storeOutputFolder()
{
    storeChoice(settingkeys::OutputFolder, m_controls.outputFolderEdit->text());
}

void OptionsController::browseOutputFolder()
{
    Procedure proc(m_boxes.reporter(), tags::BrowseOutput);
    QString start;
    QString folder;
    proc.run(100, [&] { start = m_settings.getSetting(settingkeys::LastFolder, QString()); });
    proc.run(102, [&] {
        folder =
            m_boxes.services().browseForFolder(m_boxes.owner(), tr("Please select folder:"), start);
    });
    if (folder.isEmpty())
        return;
    proc.run(106, [&] { m_settings.saveSetting(settingkeys::LastFolderDot, folder); });
    const QChar sep = paths::separator();
    m_controls.outputFolderEdit->setText(folder.endsWith(sep) ? folder : folder + sep);
}
