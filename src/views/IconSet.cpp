#include "views/IconSet.h"

#include <QHash>

// The resources live in a static library: registering them here makes every
// program that asks for an icon link them in.
static void EnsureIconResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(icons);
        return true;
    }();
    (void)registered;
}

namespace {
QString Svg(const char* name) {
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
}

QIcon Cached(const QString& path) {
    EnsureIconResources();
    static QHash<QString, QIcon> cache;
    auto found = cache.find(path);
    if (found == cache.end())
        found = cache.insert(path, QIcon(path));
    return *found;
}
} // namespace

QIcon NamedIcon(const char* name) {
    return Cached(Svg(name));
}

QString ProgramIconPath() {
    return Svg("wingmate");
}

QString TreeIconPath(TreeIcon role) {
    switch (role) {
    case TreeIcon::NotScheduled:
        return Svg("tree-macro");
    case TreeIcon::MacroSet:
        return Svg("tree-set");
    case TreeIcon::NotScheduledSelected:
        return Svg("tree-macro-selected");
    case TreeIcon::MacroSetSelected:
        return Svg("tree-set-selected");
    case TreeIcon::SingleOccurrence:
        return Svg("tree-once");
    case TreeIcon::SingleOccurrenceSelected:
        return Svg("tree-once-selected");
    case TreeIcon::Repeated:
        return Svg("tree-repeated");
    case TreeIcon::RepeatedSelected:
        return Svg("tree-repeated-selected");
    }
    return {};
}

QString TrayIconPath(TrayIcon role) {
    switch (role) {
    case TrayIcon::Idle:
        return Svg("tray-idle");
    case TrayIcon::Running:
        return Svg("tray-running");
    case TrayIcon::Recording:
        return Svg("tray-recording");
    case TrayIcon::Disabled:
        return Svg("tray-disabled");
    case TrayIcon::TriggersDisabled:
        return Svg("tray-triggers-disabled");
    case TrayIcon::SchedulerDisabled:
        return Svg("tray-scheduler-disabled");
    }
    return {};
}

QString ToolIconPath(ToolIcon role) {
    switch (role) {
    case ToolIcon::Hide:
        return Svg("tool-hide");
    case ToolIcon::NewMacro:
        return Svg("tool-new-macro");
    case ToolIcon::SaveMacros:
        return Svg("tool-save");
    case ToolIcon::MacroWizard:
        return Svg("tool-wizard");
    case ToolIcon::NewScript:
        return Svg("tool-new-script");
    case ToolIcon::OpenScript:
        return Svg("tool-open-script");
    case ToolIcon::EditScript:
        return Svg("tool-edit-script");
    case ToolIcon::RecordScript:
        return Svg("tool-record");
    case ToolIcon::RunMacro:
        return Svg("tool-run");
    case ToolIcon::StopMacro:
        return Svg("tool-stop");
    case ToolIcon::Help:
        return Svg("tool-help");
    }
    return {};
}

QString PageIconPath(PageIcon role) {
    switch (role) {
    case PageIcon::Manager:
        return Svg("page-manager");
    case PageIcon::Scheduler:
        return Svg("page-scheduler");
    case PageIcon::Output:
        return Svg("page-output");
    case PageIcon::Log:
        return Svg("page-log");
    }
    return {};
}

QIcon ProgramIcon() {
    return Cached(ProgramIconPath());
}
QIcon TreeIconImage(TreeIcon role) {
    return Cached(TreeIconPath(role));
}
QIcon TrayIconImage(TrayIcon role) {
    return Cached(TrayIconPath(role));
}
QIcon ToolIconImage(ToolIcon role) {
    return Cached(ToolIconPath(role));
}
QIcon PageIconImage(PageIcon role) {
    return Cached(PageIconPath(role));
}
