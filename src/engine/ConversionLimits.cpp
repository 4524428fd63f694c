// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionLimits.h"

#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"

#include <algorithm>
#include <QThread>

namespace {

int readNumber(const SettingsStore &store, const QString &key, int fallback)
{
    bool ok = false;
    const int value = store.getSetting(key, QString()).trimmed().toInt(&ok);
    return ok && value >= 0 ? value : fallback;
}

} // namespace

int ConversionLimits::coreCount()
{
    return std::max(1, QThread::idealThreadCount());
}

ConversionLimits ConversionLimits::fromSettings(const SettingsStore &store)
{
    ConversionLimits limits;
    const int converters = readNumber(store, settingkeys::Converters, 0);
    limits.converters = converters > 0 ? converters : coreCount();
    limits.memoryMegabytes =
        readNumber(store, settingkeys::ConverterMemoryLimit, DefaultMemoryMegabytes);
    limits.idleSeconds = readNumber(store, settingkeys::ConverterTimeLimit, DefaultIdleSeconds);
    limits.text = TextOptions::fromSettings(store);
    return limits;
}
