// SPDX-License-Identifier: GPL-3.0-or-later
#include "OcrOptionController.h"

#include "engine/OcrChoice.h"
#include "platform/Failure.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"
#include "platform/widgets/MessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>

OcrOptionController::OcrOptionController(QCheckBox *ocrBox, QComboBox *languageList,
                                         SettingsStore &settings, const MessageBoxes &boxes,
                                         QObject *parent)
    : QObject(parent), m_ocrBox(ocrBox), m_languageList(languageList), m_settings(settings),
      m_boxes(boxes)
{
    connect(m_ocrBox, &QCheckBox::toggled, this, [this](bool on) {
        if (m_restoring)
            return;
        m_languageList->setEnabled(on);
        store(settingkeys::Ocr, on ? QStringLiteral("auto") : QStringLiteral("off"));
    });
    connect(m_languageList, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        if (!m_restoring && !text.isEmpty())
            store(settingkeys::OcrLanguages, text);
    });
}

QString OcrOptionController::missingTooltip()
{
    return tr("Reading scanned pages needs tesseract's language data: install the Debian package "
              "tesseract-ocr-eng (or tesseract-ocr-deu, ... for other languages).");
}

void OcrOptionController::restoreChoices(const QStringList &installed)
{
    m_restoring = true;
    const OcrChoice stored = OcrChoice::fromSettings(m_settings);
    m_languageList->clear();
    m_languageList->addItems(installed);
    if (installed.isEmpty()) {
        m_ocrBox->setChecked(false);
        m_ocrBox->setEnabled(false);
        m_languageList->setEnabled(false);
        m_ocrBox->setToolTip(missingTooltip());
        m_languageList->setToolTip(missingTooltip());
        m_restoring = false;
        return;
    }
    // A combination stored by hand ("eng+deu") is offered as it is.
    if (m_languageList->findText(stored.languages) < 0)
        m_languageList->addItem(stored.languages);
    m_languageList->setCurrentText(stored.languages);
    m_ocrBox->setChecked(stored.isOn());
    m_ocrBox->setEnabled(true);
    m_languageList->setEnabled(stored.isOn());
    m_restoring = false;
}

void OcrOptionController::store(const QString &key, const QString &text)
{
    // A stored "always" is kept while the box stays ticked.
    if (key == settingkeys::Ocr && text == QStringLiteral("auto") &&
        OcrChoice::fromSettings(m_settings).mode == OcrChoice::Mode::Always)
        return;
    if (const QString failure = m_settings.storeChoice(key, text); !failure.isEmpty())
        m_boxes.message(tr("Your choices cannot be saved for the next start: ") + failure +
                            QStringLiteral("\r\r") + SettingsStore::location(),
                        MessageButtons::Ok, MessageIcon::Warning);
}
