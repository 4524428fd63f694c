// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <QVariantMap>

namespace {

// A session bus the desktop announces: by its address, or at its usual place under
// XDG_RUNTIME_DIR. Without one, asking for the session bus may autolaunch a daemon.
bool sessionBusAnnounced()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

} // namespace

namespace desktopnotification {

bool send(const QString &appName, const QString &title, const QString &text)
{
    if (!sessionBusAnnounced())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    const QString desktopEntry = QGuiApplication::desktopFileName();
    if (!desktopEntry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), desktopEntry);
    // app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout (-1: the
    // server's default)
    call << appName << quint32(0) << QString() << title << text << QStringList() << hints
         << qint32(-1);
    // The answer (the notification's id) is of no use: nothing waits for it.
    call.setAutoStartService(true);
    return bus.send(call);
}

} // namespace desktopnotification
