#include "CaptionProgressBar.h"

#include <algorithm>

CaptionProgressBar::CaptionProgressBar(QWidget *parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
}

void CaptionProgressBar::setText(const QString &text)
{
    if (text == m_caption)
        return;
    m_caption = text;
    update();
}

void CaptionProgressBar::setValue(int value)
{
    QProgressBar::setValue(std::clamp(value, minimum(), maximum()));
}
