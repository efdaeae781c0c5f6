#pragma once
// Desktop notifications through the freedesktop notification service on the
// session bus, for desktops without a tray. Clicking one calls `clicked`.

#include "ports/Notifier.h"

#include <QObject>

#include <functional>

class CDBusNotifier : public QObject, public IDesktopNotifier {
    Q_OBJECT
public:
    explicit CDBusNotifier(std::function<void()> onClicked, QObject* parent = nullptr);

    // Whether a notification service answers on the session bus.
    static bool Available();
    void Notify(const std::string& title, const std::string& text) override;

private Q_SLOTS:
    void OnActionInvoked(uint id, const QString& action);

private:
    std::function<void()> clicked;
    QList<uint> shownIds;
};
