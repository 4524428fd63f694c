// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsStore.h"

#include "Failure.h"

#include <cmath>
#include <QSettings>
#include <utility>

const char *const SettingsStore::Application = "Tarvenik";
const char *const SettingsStore::Section = "Morwenda";

namespace {

QSettings openStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QString::fromLatin1(SettingsStore::Application));
}

} // namespace

QString SettingsStore::getSetting(const QString &key, const QString &defaultValue) const
{
    QSettings store = openStore();
    store.beginGroup(QString::fromLatin1(Section));
    const QVariant value = store.value(key);
    return value.isValid() ? value.toString() : defaultValue;
}

void SettingsStore::saveSetting(const QString &key, const QString &text)
{
    QSettings store = openStore();
    store.beginGroup(QString::fromLatin1(Section));
    // A null text would be written as an invalid value and read back as absent; empty is a value.
    store.setValue(key, text.isNull() ? QStringLiteral("") : text);
    store.endGroup();
    store.sync();
    if (store.status() == QSettings::AccessError)
        throw Failure(QStringLiteral("Permission denied"));
    if (store.status() == QSettings::FormatError)
        throw Failure(QStringLiteral("Invalid settings file: %1").arg(store.fileName()));
}

QString SettingsStore::storeChoice(const QString &key, const QString &text)
{
    try {
        saveSetting(key, text);
    } catch (const Failure &failure) {
        if (!std::exchange(m_failureTold, true))
            return failure.description();
    }
    return QString();
}

QString SettingsStore::location()
{
    return openStore().fileName();
}

namespace settingtext {

QString fromBool(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString fromInt(int value)
{
    return QString::number(value);
}

namespace {

bool toNumber(const QString &text, double *number)
{
    bool ok = false;
    *number = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(*number);
}

} // namespace

bool toBoolean(const QString &text)
{
    const QString word = text.trimmed();
    if (word.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    double number = 0;
    if (!toNumber(text, &number))
        throw Failure(QStringLiteral("Type mismatch"));
    return number != 0;
}

qint16 toInt16(const QString &text)
{
    double number = 0;
    if (!toNumber(text, &number))
        throw Failure(QStringLiteral("Type mismatch"));
    const double rounded = std::nearbyint(number); // ties to even, as the store's readers expect
    if (rounded < -32768 || rounded > 32767)
        throw Failure(QStringLiteral("Overflow"));
    return static_cast<qint16>(rounded);
}

} // namespace settingtext
