// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/OutputChoice.h"

#include <QObject>

class MessageBoxes;
class Procedure;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SettingsStore;

// The output and password options: where the text files go, the output folder (typed or chosen
// with "...") and whether a password is asked for each file. Every change is stored at once.
class OptionsController final : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        QCheckBox *askPasswordBox;
        QRadioButton *saveToFolderOption;
        QRadioButton *saveBesidePdfOption;
        QGroupBox *outputFolderFrame;
        QLineEdit *outputFolderEdit;
        QPushButton *browseOutputButton;
    };

    OptionsController(Controls controls, SettingsStore &settings, const MessageBoxes &boxes,
                      QObject *parent = nullptr);

    // The choices as the controls show them now.
    OutputChoice outputChoice() const;

    // Start-up's statements 140 to 152 of `proc`: the stored choices into the controls (whose
    // change handlers store them again) and the output folder's frame enabled with the first
    // option. A value that cannot be shown is reported and the control keeps its state.
    void restoreChoices(Procedure &proc);

public slots:
    // "...": browses for the output folder, starting where the last scan started.
    void browseOutputFolder();

private:
    void storeSaveOptions();
    void storeAskPassword();
    void storeOutputFolder();
    // Stores one choice; a store that cannot be written is told once, not on every change.
    void storeChoice(const QString &key, const QString &text);

    Controls m_controls;
    SettingsStore &m_settings;
    const MessageBoxes &m_boxes;
};
