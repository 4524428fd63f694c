// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionLimits.h"

#include "platform/ProcessLimits.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"

#include <algorithm>

namespace {

int readCount(const SettingsStore &store, const QString &key, int fallback)
{
    bool ok = false;
    const int value = store.getSetting(key, QString()).trimmed().toInt(&ok);
    return ok && value >= 0 ? value : fallback;
}

// A limit of at most `most`: a larger one is `most`, one that is no number the fallback.
int readNumber(const SettingsStore &store, const QString &key, int fallback, int most)
{
    const QString text = store.getSetting(key, QString()).trimmed();
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (ok)
        return value < 0 ? fallback : int(std::min<qlonglong>(value, most));
    // Digits beyond any number's reach still mean "as long as can be".
    const bool onlyDigits = !text.isEmpty() && std::all_of(text.begin(), text.end(),
                                                           [](QChar c) { return c.isDigit(); });
    return onlyDigits ? most : fallback;
}

} // namespace

int ConversionLimits::coreCount()
{
    return processlimits::usableProcessors();
}

ConversionLimits ConversionLimits::fromSettings(const SettingsStore &store)
{
    ConversionLimits limits;
    limits.converters = processlimits::converterCount(readCount(store, settingkeys::Converters, 0));
    limits.memoryMegabytes = readNumber(store, settingkeys::ConverterMemoryLimit,
                                        DefaultMemoryMegabytes, MaxMemoryMegabytes);
    limits.idleSeconds =
        readNumber(store, settingkeys::ConverterTimeLimit, DefaultIdleSeconds, MaxIdleSeconds);
    limits.ocr = OcrChoice::fromSettings(store);
    limits.text = TextOptions::fromSettings(store);
    return limits;
}

int ConversionLimits::idleMilliseconds(int idleSeconds)
{
    return int(std::clamp<qint64>(qint64(idleSeconds) * 1000, 0, qint64(MaxIdleSeconds) * 1000));
}
