#pragma once

#include "convert/ProgressTarget.h"

#include <QProgressBar>

// A progress bar that shows a caption of its own, taken literally (QProgressBar's format would
// expand "%p" and the like inside file names), and moves as a progress display for waits.
class CaptionProgressBar final : public QProgressBar, public ProgressTarget
{
    Q_OBJECT

public:
    explicit CaptionProgressBar(QWidget *parent = nullptr);

    QString text() const override { return m_caption; }
    void setText(const QString &text) override;
    int value() const override { return QProgressBar::value(); }
    void setValue(int value) override;

private:
    QString m_caption;
};
