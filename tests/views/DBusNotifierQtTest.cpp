// Notifications over D-Bus: a stand-in notification service on a private
// session bus (the test runs under dbus-run-session) receives the call, and
// its "default" action brings the click back.

#include "app/DBusNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QtTest>

class CFakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList calls;
    uint nextId = 41;

public Q_SLOTS:
    uint Notify(const QString& app, uint, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
        calls.append(app + "|" + summary + "|" + body + "|" + actions.join(QLatin1Char(',')) + "|" +
                     hints.value(QStringLiteral("desktop-entry")).toString());
        return ++nextId;
    }
};

class DBusNotifierQtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void notifiesAndReportsTheClick() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            QSKIP("no session bus");
        // No service yet: the notification goes to the fallback.
        QStringList unreached;
        {
            CDBusNotifier early({}, [&unreached](const std::string& title, const std::string&) {
                unreached.append(QString::fromStdString(title));
            });
            early.Notify("Macro \"A\" failed", "x");
            QTRY_COMPARE(unreached, QStringList{QStringLiteral("Macro \"A\" failed")});
        }
        CFakeNotifications service;
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                   QDBusConnection::ExportAllSlots));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
        QVERIFY(CDBusNotifier::Available());

        int clicks = 0;
        CDBusNotifier notifier([&clicks] { ++clicks; },
                               [&unreached](const std::string& title, const std::string&) {
                                   unreached.append(QString::fromStdString(title));
                               });
        notifier.Notify("Macro \"Tidy\" failed", "tidy.tsc:1:7: error: expected ';'");
        QTRY_COMPARE(service.calls,
                     QStringList{QStringLiteral("Wingmate|Macro \"Tidy\" failed|tidy.tsc:1:7: "
                                                "error: expected ';'|default,Show Output|"
                                                "org.tessera.Wingmate")});

        QTRY_VERIFY(notifier.Showing(42)); // its reply comes after the service's call

        // A click on another program's notification is not ours.
        const auto invoke = [&bus](uint id) {
            QDBusMessage message = QDBusMessage::createSignal(
                QStringLiteral("/org/freedesktop/Notifications"),
                QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
            message << id << QStringLiteral("default");
            bus.send(message);
        };
        invoke(7);
        invoke(42);
        QTRY_COMPARE(clicks, 1);
        QTest::qWait(100);
        QCOMPARE(clicks, 1);
        QCOMPARE(unreached.size(), 1); // the service took the second
    }
};

QTEST_MAIN(DBusNotifierQtTest)
#include "DBusNotifierQtTest.moc"
