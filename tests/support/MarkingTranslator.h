// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QTranslator>

// Translates every text into itself between marks, so a text shown without the marks did not go
// through translation.
class MarkingTranslator final : public QTranslator
{
public:
    static QString marked(const QString &text)
    {
        return QStringLiteral("\u27e6") + text + QStringLiteral("\u27e7");
    }
    QString translate(const char *, const char *sourceText, const char *, int) const override
    {
        return marked(QString::fromUtf8(sourceText));
    }
    bool isEmpty() const override { return false; }
};
