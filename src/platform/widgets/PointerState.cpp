// SPDX-License-Identifier: GPL-3.0-or-later
#include "PointerState.h"

#include <QWidget>

PointerState::PointerState(QWidget *window) : QObject(window), m_window(window) {}

void PointerState::set(int value)
{
    m_value = value;
    switch (value) {
    case Busy:
        m_window->setCursor(Qt::WaitCursor);
        break;
    case Custom:
        m_window->setCursor(m_custom);
        break;
    case Arrow:
        m_window->setCursor(Qt::ArrowCursor);
        break;
    default:
        m_window->unsetCursor();
        break;
    }
    emit changed(value);
}

void PointerState::setCustomCursor(const QCursor &cursor)
{
    m_custom = cursor;
    if (m_value == Custom)
        m_window->setCursor(m_custom);
}

void PointerState::hover(int value)
{
    if (!isBusy())
        set(value);
}
