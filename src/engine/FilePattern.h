// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>

// A file-name pattern as the folder scan uses it: matched against the whole name without regard
// to letter case, "*" standing for any run of characters and "?" for exactly one; every other
// character ("[" and "]" included) stands for itself. "*.*" matches every name, also one without
// a dot.
class FilePattern
{
public:
    explicit FilePattern(const QString &pattern);

    // The pattern for an extension as the user typed it: "*." followed by the text unchanged, so
    // "pdf" gives "*.pdf", "*" gives "*.*" and ".pdf" gives "*..pdf".
    static FilePattern forExtension(const QString &extension);

    bool matches(QStringView name) const;
    const QString &text() const { return m_text; }

private:
    enum class Kind
    {
        Everything,
        Suffix,
        General
    };

    bool matchesGenerally(QStringView name) const;

    QString m_text;
    QString m_folded;
    QString m_suffix;
    Kind m_kind = Kind::General;
};
