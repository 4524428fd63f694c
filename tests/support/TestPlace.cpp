// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPlace.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

TestPlace::TestPlace()
{
    m_dir.setAutoRemove(true);
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    QDir(m_dir.path()).mkpath(QStringLiteral("tmp"));
    QDir(m_dir.path()).mkpath(QStringLiteral("install"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configFolder());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configFolder());
    m_hadTemp = qEnvironmentVariableIsSet("TEMP");
    m_oldTemp = qgetenv("TEMP");
    qputenv("TEMP", QFile::encodeName(tempFolder()));
}

TestPlace::~TestPlace()
{
    if (m_hadTemp)
        qputenv("TEMP", m_oldTemp);
    else
        qunsetenv("TEMP");
}

QString TestPlace::path(const QString &relative) const
{
    const QString full = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(full).path());
    return full;
}
