// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionProgressBar.h"

#include <algorithm>

CaptionProgressBar::CaptionProgressBar(QWidget *parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    QProgressBar::setValue(0);
    m_paint.setSingleShot(true);
    m_paint.setInterval(PaintMilliseconds);
    connect(&m_paint, &QTimer::timeout, this, &CaptionProgressBar::paintNow);
}

void CaptionProgressBar::setText(const QString &text)
{
    if (text == m_caption)
        return;
    m_caption = text;
    schedulePaint();
}

void CaptionProgressBar::setValue(int value)
{
    const int held = std::clamp(value, minimum(), maximum());
    if (held == m_value)
        return;
    m_value = held;
    schedulePaint();
}

void CaptionProgressBar::schedulePaint()
{
    if (!m_paint.isActive())
        m_paint.start();
}

void CaptionProgressBar::paintNow()
{
    QProgressBar::setValue(m_value);
    // A screen reader gives the caption the bar shows, not only its percentage.
    if (accessibleDescription() != m_caption)
        setAccessibleDescription(m_caption);
    update();
}
