#include "app/DBusNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QVariantMap>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDesktopEntry = QStringLiteral("org.tessera.Wingmate");
constexpr int kTimeoutMs = 10000;
constexpr int kReplyTimeoutMs = 5000;
} // namespace

CDBusNotifier::CDBusNotifier(std::function<void()> onClicked, Fallback onUnreached, QObject* parent)
    : QObject(parent), clicked(std::move(onClicked)), unreached(std::move(onUnreached)) {
    QDBusConnection::sessionBus().connect(kService, kPath, kInterface,
                                          QStringLiteral("ActionInvoked"), this,
                                          SLOT(OnActionInvoked(uint, QString)));
}

bool CDBusNotifier::Available() {
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(kService).value();
}

// Notify(app_name, replaces_id, app_icon, summary, body, actions, hints,
// expire_timeout); the "default" action is a click on the notification.
void CDBusNotifier::Notify(const std::string& title, const std::string& text) {
    Notify(title, text, [this, title, text](bool reached) {
        if (!reached && unreached)
            unreached(title, text);
    });
}

void CDBusNotifier::Notify(const std::string& title, const std::string& text,
                           std::function<void(bool reached)> reached) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), kDesktopEntry}};
    call << QStringLiteral("Wingmate") << uint(0) << QStringLiteral("wingmate")
         << QString::fromStdString(title) << QString::fromStdString(text)
         << QStringList{QStringLiteral("default"), tr("Show Output")} << hints << kTimeoutMs;
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(call, kReplyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, reached = std::move(reached)] {
                const QDBusPendingReply<uint> reply = *watcher;
                if (reply.isValid())
                    shownIds.append(reply.value());
                if (reached)
                    reached(reply.isValid());
                watcher->deleteLater();
            });
}

void CDBusNotifier::OnActionInvoked(uint id, const QString& action) {
    if (action == QStringLiteral("default") && shownIds.contains(id) && clicked)
        clicked();
}
