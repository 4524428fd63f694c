// SPDX-License-Identifier: GPL-3.0-or-later
// The notification at the end of a run, sent over a real session bus (ctest runs this program
// under dbus-run-session) to a stand-in for the desktop's notification server.
#include "platform/widgets/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

// Answers Notify as a desktop's notification server does, and keeps what it was told.
class NotificationServer : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList told;

public slots:
    uint Notify(const QString &appName, uint replacesId, const QString &icon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int timeout)
    {
        Q_UNUSED(icon);
        Q_UNUSED(hints);
        told << QStringLiteral("%1|%2|%3|%4|%5|%6")
                    .arg(appName, summary, body)
                    .arg(replacesId)
                    .arg(actions.size())
                    .arg(timeout);
        return uint(told.size());
    }
};

class TestDesktopNotification : public QObject
{
    Q_OBJECT

private slots:
    void withoutASessionBusNothingIsSent();
    void theServerIsToldTheTitleAndText();
};

void TestDesktopNotification::withoutASessionBusNothingIsSent()
{
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const auto restore = qScopeGuard([&] {
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qputenv("XDG_RUNTIME_DIR", runtime);
    });
    QTemporaryDir emptyRuntime;
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(emptyRuntime.path()));
    // Not sent, and no bus launched for it (that would outlive the program).
    QVERIFY(!desktopnotification::send(QStringLiteral("Morwenda"), QStringLiteral("Morwenda"),
                                       QStringLiteral("Done.")));
}

void TestDesktopNotification::theServerIsToldTheTitleAndText()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("no session bus: run under dbus-run-session");
    QDBusConnection bus = QDBusConnection::sessionBus();
    QVERIFY(bus.isConnected());
    NotificationServer server;
    QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                               QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    QVERIFY(desktopnotification::send(QStringLiteral("Morwenda"), QStringLiteral("Morwenda"),
                                      QStringLiteral("Done.\n2 of 3 files converted.")));
    QTRY_COMPARE(server.told, QStringList{QStringLiteral(
                                  "Morwenda|Morwenda|Done.\n2 of 3 files converted.|0|0|-1")});
}

QTEST_GUILESS_MAIN(TestDesktopNotification)
#include "tst_desktopnotification.moc"
