// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The per-user store of the program's choices: application "Tarvenik", section "Morwenda", one
// text per key. Nothing is cached; every write reaches the disk before it returns.
class SettingsStore
{
public:
    SettingsStore() = default;
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // The stored text of the key, or the default when the key is absent. An empty stored text is
    // present and returned unchanged.
    QString getSetting(const QString &key, const QString &defaultValue) const;

    // Stores the text under the key and syncs the store to disk. Throws Failure when that fails.
    void saveSetting(const QString &key, const QString &text);

    // Stores a choice the user has just made, as saveSetting() does. A store that cannot be
    // written is told once, not at every click or keystroke: the words of the first failure come
    // back, "" after it and when the choice was stored.
    QString storeChoice(const QString &key, const QString &text);

    // The file that holds the store on this platform.
    static QString location();

    static const char *const Application; // "Tarvenik"
    static const char *const Section;     // "Morwenda"

private:
    bool m_failureTold = false;
};

// Conversions between stored texts and control values.
namespace settingtext {

// "True" or "False", whatever the user's language.
QString fromBool(bool value);

// Plain decimal.
QString fromInt(int value);

// "True"/"False" in any letter case, or a number (0 false, any other true). Throws Failure
// ("Type mismatch") for any other text.
bool toBoolean(const QString &text);

// A decimal number rounded to a 16-bit integer. Throws Failure ("Type mismatch", or "Overflow"
// when out of range).
qint16 toInt16(const QString &text);

} // namespace settingtext
