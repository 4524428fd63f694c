// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A desktop notification through the freedesktop notification server on the session bus.
namespace desktopnotification {

// Sends the notification without waiting for an answer. False when there is no session bus to
// send it on: none is started for it (D-Bus would otherwise launch a bus that outlives the
// program).
bool send(const QString &appName, const QString &title, const QString &text);

} // namespace desktopnotification
