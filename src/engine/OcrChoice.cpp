// SPDX-License-Identifier: GPL-3.0-or-later
#include "OcrChoice.h"

#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"
#include "service/OcrSupport.h"

#include <QRegularExpression>

#include <algorithm>

OcrChoice OcrChoice::fromSettings(const SettingsStore &store)
{
    OcrChoice choice;
    choice.mode = modeNamed(store.getSetting(settingkeys::Ocr, QString())).value_or(Mode::Off);
    choice.languages = languagesNamed(store.getSetting(settingkeys::OcrLanguages, QString()))
                           .value_or(choice.languages);
    bool ok = false;
    const int dpi = store.getSetting(settingkeys::OcrDpi, QString()).trimmed().toInt(&ok);
    if (ok && dpi >= MinDpi && dpi <= MaxDpi)
        choice.dpi = dpi;
    return choice;
}

std::optional<OcrChoice::Mode> OcrChoice::modeNamed(const QString &name)
{
    const QString word = name.trimmed().toLower();
    if (word == QStringLiteral("off"))
        return Mode::Off;
    if (word == QStringLiteral("auto"))
        return Mode::Auto;
    if (word == QStringLiteral("always"))
        return Mode::Always;
    return std::nullopt;
}

QString OcrChoice::modeName(Mode mode)
{
    switch (mode) {
    case Mode::Auto:
        return QStringLiteral("auto");
    case Mode::Always:
        return QStringLiteral("always");
    case Mode::Off:
        break;
    }
    return QStringLiteral("off");
}

std::optional<QString> OcrChoice::languagesNamed(const QString &text)
{
    static const QRegularExpression list(QStringLiteral("^[A-Za-z0-9_-]+(\\+[A-Za-z0-9_-]+)*$"));
    const QString trimmed = text.trimmed();
    if (!list.match(trimmed).hasMatch())
        return std::nullopt;
    return trimmed;
}

QStringList OcrChoice::installedLanguages()
{
    QStringList names;
    for (const std::string &name : ocrsupport::installedLanguages())
        names.append(QString::fromStdString(name));
    return names;
}

QString OcrChoice::missingOrientationNote() const
{
    if (!isOn() || !ocrsupport::built() || ocrsupport::orientationInstalled())
        return QString();
    return QStringLiteral("OCR reads pages as they lie: tesseract's orientation data is not "
                          "installed. Install the Debian package tesseract-ocr-osd to turn pages "
                          "scanned upside down or sideways upright.");
}

QString OcrChoice::missingLanguagesMessage() const
{
    if (!isOn())
        return QString();
    if (!ocrsupport::built())
        return QStringLiteral("This program was built without OCR: scanned pages can not be read.");
    std::vector<std::string> installed;
    for (const QString &name : installedLanguages())
        installed.push_back(name.toStdString());
    const std::vector<std::string> missing =
        ocrsupport::missingLanguages(languages.toStdString(), installed);
    if (missing.empty())
        return QString();
    const QStringList installedNames = installedLanguages();
    QStringList said; // for names that are there in another form: what they are
    QStringList names;
    QStringList packages;
    for (const std::string &name : missing) {
        const QString shown = QString::fromStdString(name);
        const auto sameButCase =
            std::find_if(installedNames.cbegin(), installedNames.cend(), [&](const QString &one) {
                return one.compare(shown, Qt::CaseInsensitive) == 0;
            });
        if (name == "osd" || name == "equ") {
            said.append(QStringLiteral("\"%1\" is tesseract's %2 data, not a language that "
                                       "reads text.")
                            .arg(shown, name == "osd"
                                            ? QStringLiteral("page orientation and script")
                                            : QStringLiteral("equation detection")));
        } else if (sameButCase != installedNames.cend()) {
            said.append(QStringLiteral("tesseract's language names are case-sensitive: "
                                       "\"%1\" is installed, \"%2\" is not a language.")
                            .arg(*sameButCase, shown));
        } else {
            names.append(QStringLiteral("\"%1\"").arg(shown));
            packages.append(QString::fromStdString(ocrsupport::debianPackage(name)));
        }
    }
    const QString installedText = installedNames.isEmpty()
                                      ? QStringLiteral("none")
                                      : installedNames.join(QStringLiteral(", "));
    if (!names.isEmpty())
        said.prepend(QStringLiteral("OCR can not read the language %1: it is not installed. "
                                    "Install the Debian package %2, or choose an installed "
                                    "language (%3).")
                         .arg(names.join(QStringLiteral(", ")), packages.join(QStringLiteral(", ")),
                              installedText));
    else
        said.append(QStringLiteral("Choose an installed language (%1).").arg(installedText));
    return said.join(u' ');
}
