#pragma once

#include "platform/ProgressTarget.h"

#include <algorithm>
#include <QStringList>

// A progress display that remembers every text and value it is given, in order.
class RecordingProgress final : public ProgressTarget
{
public:
    explicit RecordingProgress(QString text = {}, int value = 0) : m_text(text), m_value(value) {}

    QString text() const override { return texts.value(texts.size() - 1, m_text); }
    void setText(const QString &text) override { texts.append(text); }
    int value() const override { return values.isEmpty() ? m_value : values.last(); }
    void setValue(int value) override { values.append(std::clamp(value, 0, 100)); }

    QStringList texts;
    QList<int> values;

private:
    QString m_text;
    int m_value;
};
