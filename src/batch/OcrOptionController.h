// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class MessageBoxes;
class QCheckBox;
class QComboBox;
class SettingsStore;

// The OCR option: the check box reads scanned pages by OCR (the setting "OCR": "auto" when
// ticked, "off" when clear; a stored "always" stays while the box is ticked), the list chooses the
// language among the installed ones ("OCR Languages"). Both are greyed, with a tooltip naming the
// Debian package to install, when the program has no OCR or tesseract has no language.
class OcrOptionController final : public QObject
{
    Q_OBJECT

public:
    OcrOptionController(QCheckBox *ocrBox, QComboBox *languageList, SettingsStore &settings,
                        const MessageBoxes &boxes, QObject *parent = nullptr);

    // `installed` is what tesseract has (OcrChoice::installedLanguages() in the program).
    void restoreChoices(const QStringList &installed);

    // The tooltip of the greyed option.
    static QString missingTooltip();

private:
    void store(const QString &key, const QString &text);

    QCheckBox *m_ocrBox;
    QComboBox *m_languageList;
    SettingsStore &m_settings;
    const MessageBoxes &m_boxes;
    bool m_restoring = false;
};
