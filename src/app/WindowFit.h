// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ScreenFit.h"

#include <QMargins>
#include <QObject>
#include <QSize>
#include <QTimer>

class QScrollArea;
class QWidget;
class SettingsStore;

// Keeps a window whole on its screen, frame and title bar included, and keeps the size the user
// gives it between sessions (`Window Size`, stored a moment after a resize ends). Before the
// window is shown it gets the stored size within the screen, counting an estimated title bar;
// once shown, and whenever the window manager's frame around it changes, it is shrunk and moved
// to lie whole on its screen. Below the controls' least size the window's scroll area scrolls, and
// its client area is then tall enough for the lists to show a few rows.
class WindowFit final : public QObject
{
    Q_OBJECT

public:
    // `window` holds `scrollArea`, which fills it and scrolls the client area.
    WindowFit(QWidget &window, QScrollArea &scrollArea, SettingsStore &settings,
              screenfit::ClientSizes sizes);

    const screenfit::ClientSizes &sizes() const { return m_sizes; }
    // Gives the window its least size, its first size and its place on its screen.
    void restore();
    // Stores a resize that ended a moment ago; the window is about to close.
    void storePendingSize();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The frame the window manager has put around the window, none before it is framed.
    QMargins frame() const;
    int scrollBarRoom() const;
    // Whether a logical pixel is a whole number of the screen's pixels.
    bool isWholeRatio() const;
    // Whether `size` is the one the screen forced on the window, not one the user gave it.
    bool isFitted(QSize size) const;
    void fitToFrame();
    void fitClientArea();
    void storeSize();

    QWidget &m_window;
    QScrollArea &m_scrollArea;
    SettingsStore &m_settings;
    screenfit::ClientSizes m_sizes;
    bool m_shown = false;
    QMargins m_fittedFrame; // the frame the last fit counted
    QSize m_wantedSize;     // the stored size, or the default one
    QSize m_fittedSize;     // the size the screen forced on the window, if any
    QTimer m_storeSize;
};
