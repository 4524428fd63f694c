// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTemporaryDir>

// An isolated place for one test: its own settings store, its own temporary folder (TEMP) and
// room for scratch files. Settings and TEMP point back to their earlier values when it goes.
class TestPlace
{
public:
    TestPlace();
    ~TestPlace();
    TestPlace(const TestPlace &) = delete;
    TestPlace &operator=(const TestPlace &) = delete;

    // A path inside the place; folders on the way are created.
    QString path(const QString &relative) const;
    QString root() const { return m_dir.path(); }
    QString configFolder() const { return path(QStringLiteral("config")); }
    QString tempFolder() const { return path(QStringLiteral("tmp")); }
    QString installFolder() const { return path(QStringLiteral("install")); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldTemp;
    bool m_hadTemp = false;
};
