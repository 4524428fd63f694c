// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFit.h"

#include "platform/Failure.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"
#include "ScreenFit.h"

#include <cmath>
#include <cstdlib>
#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWidget>
#include <QWindow>

namespace {

// The size the user last gave the window, as "WIDTHxHEIGHT" in pixels.
QSize storedSize(const SettingsStore &settings)
{
    const QStringList parts = settings.getSetting(settingkeys::WindowSize, QString()).split(u'x');
    if (parts.size() != 2)
        return {};
    bool wideOk = false;
    bool highOk = false;
    const QSize size(parts.at(0).toInt(&wideOk), parts.at(1).toInt(&highOk));
    return wideOk && highOk && size.isValid() ? size : QSize();
}

QString sizeText(QSize size)
{
    return QString::number(size.width()) + u'x' + QString::number(size.height());
}

} // namespace

WindowFit::WindowFit(QWidget &window, QScrollArea &scrollArea, SettingsStore &settings,
                     screenfit::ClientSizes sizes)
    : QObject(&window), m_window(window), m_scrollArea(scrollArea), m_settings(settings),
      m_sizes(sizes)
{
    m_storeSize.setSingleShot(true);
    m_storeSize.setInterval(500);
    connect(&m_storeSize, &QTimer::timeout, this, &WindowFit::storeSize);
    m_window.installEventFilter(this);
}

void WindowFit::restore()
{
    m_window.setMinimumSize(m_sizes.least);
    QSize size = m_sizes.full;
    try {
        if (const QSize stored = storedSize(m_settings); stored.isValid())
            size = stored;
    } catch (const Failure &) {
        // An unreadable store leaves the default size.
    }
    m_wantedSize = size;
    const QScreen *screen = m_window.screen();
    if (!screen) {
        m_window.resize(size.expandedTo(m_window.minimumSize()));
        fitClientArea();
        return;
    }
    // The frame is not known before the window is shown; a title bar's height is kept free.
    const QRect area = screen->availableGeometry();
    const QMargins frame = screenfit::estimatedFrame(
        m_window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &m_window));
    const QSize room = screenfit::roomWithin(area, frame);
    m_window.setMinimumSize(screenfit::leastWithin(m_sizes.least, room));
    size = screenfit::fittedSize(size, m_sizes.least, room, scrollBarRoom());
    if (size != m_wantedSize)
        m_fittedSize = size; // the screen's choice, not the user's: not stored
    m_window.resize(size);
    m_window.move(screenfit::centredTopLeft(area, size, frame));
    fitClientArea();
}

QMargins WindowFit::frame() const
{
    const QRect outer = m_window.frameGeometry();
    const QRect inner = m_window.geometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    // At a fractional scale each side of the frame may be up to a pixel more than it says.
    if (!frame.isNull() && !isWholeRatio())
        frame += QMargins(1, 1, 1, 1);
    return frame;
}

int WindowFit::scrollBarRoom() const
{
    const int bar =
        m_window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &m_scrollArea);
    // At a fractional scale the window's size in device pixels is rounded, and a pixel lost there
    // would bring the sideways scroll bar back.
    return isWholeRatio() ? bar : bar + 1;
}

bool WindowFit::isWholeRatio() const
{
    const qreal ratio = m_window.devicePixelRatioF();
    return ratio == std::floor(ratio);
}

bool WindowFit::isFitted(QSize size) const
{
    if (!m_fittedSize.isValid())
        return false;
    // At a fractional scale the window manager's size, in its pixels, comes back a pixel off.
    const int slack = isWholeRatio() ? 0 : 1;
    return std::abs(size.width() - m_fittedSize.width()) <= slack &&
           std::abs(size.height() - m_fittedSize.height()) <= slack;
}

void WindowFit::fitToFrame()
{
    const QScreen *screen = m_window.screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    m_fittedFrame = frame();
    const QSize room = screenfit::roomWithin(area, m_fittedFrame);
    m_window.setMinimumSize(screenfit::leastWithin(m_sizes.least, room));
    // Once the window manager's frame is known, a size the screen forced on the window is fitted
    // anew from the size wanted; otherwise the window is only shrunk.
    const bool framed = !m_fittedFrame.isNull();
    const QSize from = framed && isFitted(m_window.size()) ? m_wantedSize : m_window.size();
    const QSize fitting = screenfit::fittedSize(from, m_sizes.least, room, scrollBarRoom());
    // A size the screen forced is not the user's choice: it is not stored.
    if (fitting != m_wantedSize)
        m_fittedSize = fitting;
    if (fitting != m_window.size())
        m_window.resize(fitting);
    const QRect outer = m_window.frameGeometry();
    const QSize whole = fitting.grownBy(m_fittedFrame);
    const QPoint topLeft = screenfit::keptTopLeft(area, outer.topLeft(), whole);
    if (topLeft != outer.topLeft())
        m_window.move(topLeft);
}

void WindowFit::fitClientArea()
{
    // The area gives the client area the window's size, or its least size and scroll bars; when it
    // scrolls anyway, the lists get room for a few rows.
    QSize least = m_sizes.least;
    if (m_window.height() < least.height())
        least.setHeight(std::max(least.height(), m_sizes.scrolledHeight));
    m_scrollArea.widget()->setMinimumSize(least);
    m_scrollArea.setGeometry(m_window.rect());
}

bool WindowFit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &m_window)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (!m_shown) {
            m_shown = true;
            // The window manager adds the frame after the window is mapped.
            QTimer::singleShot(0, this, &WindowFit::fitToFrame);
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
        // A frame that arrives or changes after the first fit moves the window: fitted again.
        if (m_shown && frame() != m_fittedFrame)
            QTimer::singleShot(0, this, &WindowFit::fitToFrame);
        if (event->type() == QEvent::Move)
            break;
        fitClientArea();
        if (m_window.isVisible())
            m_storeSize.start();
        break;
    default:
        break;
    }
    return false;
}

void WindowFit::storePendingSize()
{
    if (m_storeSize.isActive())
        storeSize();
}

void WindowFit::storeSize()
{
    m_storeSize.stop();
    QSize stored;
    try {
        stored = storedSize(m_settings);
    } catch (const Failure &) {
    }
    const QSize size = m_window.size();
    // A window never resized leaves no key behind.
    if (size == stored || isFitted(size) || (!stored.isValid() && size == m_sizes.full))
        return;
    try {
        m_settings.saveSetting(settingkeys::WindowSize, sizeText(size));
    } catch (const Failure &failure) {
        // Only the size of the next start is lost; the user is not interrupted for it.
        qWarning("The window size cannot be stored: %s", qUtf8Printable(failure.description()));
    }
}
