// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCursor>
#include <QObject>

class QWidget;

// The window's one pointer setting. The value doubles as the busy flag: the window is busy
// exactly while it is Busy, and the handlers that must hold back test that.
class PointerState final : public QObject
{
    Q_OBJECT

public:
    enum Value
    {
        Default = 0,
        Arrow = 1,
        Busy = 11,
        Custom = 99
    };

    explicit PointerState(QWidget *window);

    int value() const { return m_value; }
    bool isBusy() const { return m_value == Busy; }
    // Sets the value and shows the matching pointer over the window.
    void set(int value);

    // The picture shown for Custom; a pointing hand until a picture is loaded.
    void setCustomCursor(const QCursor &cursor);
    const QCursor &customCursor() const { return m_custom; }

    // The hover rule: unless the window is busy, set the value (even when it already has it).
    void hover(int value);

signals:
    void changed(int value);

private:
    QWidget *m_window;
    QCursor m_custom{Qt::PointingHandCursor};
    int m_value = Default;
};
