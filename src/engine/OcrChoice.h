// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "service/ServiceProtocol.h"

#include <optional>
#include <QString>
#include <QStringList>

class SettingsStore;

// How a run reads pages by OCR: which pages (none, those without usable text, every page), in
// which tesseract languages and at how many dots per inch. Read from the store at the start of
// each run, with the limits.
struct OcrChoice
{
    using Mode = serviceprotocol::OcrMode;

    static constexpr int DefaultDpi = 300;
    static constexpr int MinDpi = 50;
    static constexpr int MaxDpi = 1200;
    // A file whose OCR words have a mean confidence below this (tesseract's 0 to 100) is named
    // with low confidence. Clean prints at 300 dpi read at 85 to 95; below 60 a good share of
    // the words is wrong (blurred, faint or handwritten pages, or a wrong language).
    static constexpr double LowConfidence = 60.0;

    Mode mode = Mode::Off;
    QString languages = QStringLiteral("eng");
    int dpi = DefaultDpi;

    bool isOn() const { return mode != Mode::Off; }

    // Mode: "off", "auto", "always" (absent or other: off). Languages: absent or empty is "eng".
    // Dpi: absent or outside 50 to 1200 is 300.
    static OcrChoice fromSettings(const SettingsStore &store);

    static std::optional<Mode> modeNamed(const QString &name);
    static QString modeName(Mode mode);
    // A language list as tesseract takes it ("eng+deu"), each name one of letters, digits, "_"
    // and "-"; nullopt for anything else (",", "/", an empty name).
    static std::optional<QString> languagesNamed(const QString &text);

    // The installed tesseract languages, sorted (none when the program has no OCR).
    static QStringList installedLanguages();

    // "" when OCR is off or every language is installed; else one message that names the
    // missing languages and the Debian packages that bring them (or tesseract itself).
    QString missingLanguagesMessage() const;

    // "" when OCR is off (or not built) or tesseract's orientation data is installed; else the
    // note that pages will be read as they lie, naming the Debian package that turns them upright.
    QString missingOrientationNote() const;
};
