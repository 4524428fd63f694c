#pragma once

#include "convert/ProgressTarget.h"

#include <algorithm>
#include <QList>
#include <QStringList>

// A progress display that remembers every text and value it was given, in order.
class RecordingProgress final : public ProgressTarget
{
public:
    explicit RecordingProgress(QString text = QStringLiteral("Progress Bar"), int value = 0)
        : m_text(std::move(text)), m_value(value)
    {
    }

    QString text() const override { return m_text; }
    void setText(const QString &text) override
    {
        m_text = text;
        texts.append(text);
    }
    int value() const override { return m_value; }
    void setValue(int value) override
    {
        m_value = std::clamp(value, 0, 100);
        values.append(value);
    }

    QStringList texts;
    QList<int> values;

private:
    QString m_text;
    int m_value;
};
