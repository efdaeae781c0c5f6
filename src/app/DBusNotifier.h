#pragma once
// Desktop notifications through the freedesktop notification service on the
// session bus, tray or not, named after the desktop entry so the desktop
// shows them with the program's name and icon. Clicking one calls `clicked`.
// The call never waits for the service; when no service takes it, the
// notification goes to `unreached` (the tray's message, say) instead.

#include "ports/Notifier.h"

#include <QObject>

#include <functional>

class CDBusNotifier : public QObject, public IDesktopNotifier {
    Q_OBJECT
public:
    using Fallback = std::function<void(const std::string& title, const std::string& text)>;
    explicit CDBusNotifier(std::function<void()> onClicked, Fallback unreached = {},
                           QObject* parent = nullptr);

    // Whether a notification service answers on the session bus.
    static bool Available();
    void Notify(const std::string& title, const std::string& text) override;
    // The same, telling `reached` whether the service took it (in place of
    // the fallback); called later, on this object's thread.
    void Notify(const std::string& title, const std::string& text,
                std::function<void(bool reached)> reached);
    // Whether the service has shown notification `id` for us (its reply came).
    bool Showing(uint id) const { return shownIds.contains(id); }

private Q_SLOTS:
    void OnActionInvoked(uint id, const QString& action);

private:
    std::function<void()> clicked;
    Fallback unreached;
    QList<uint> shownIds;
};
