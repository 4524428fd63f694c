// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ProgressTarget.h"

#include <QProgressBar>
#include <QTimer>

// A progress bar that shows a caption of its own, taken literally (QProgressBar's format would
// expand "%p" and the like inside file names), and moves as a progress display for waits.
// Text and value change at once; the bar is painted at most every PaintMilliseconds, so a batch
// of quick conversions spends its time converting rather than painting. The caption shown is also
// the bar's accessible description.
class CaptionProgressBar final : public QProgressBar, public ProgressTarget
{
    Q_OBJECT

public:
    static constexpr int PaintMilliseconds = 40;

    explicit CaptionProgressBar(QWidget *parent = nullptr);

    QString text() const override { return m_caption; }
    void setText(const QString &text) override;
    int value() const override { return m_value; }
    void setValue(int value) override;

private:
    void schedulePaint();
    void paintNow();

    QString m_caption;
    int m_value = 0;
    QTimer m_paint;
};
