#pragma once
// The program's artwork: one SVG per icon role, kept in the resource file.

#include "views/MacroTreeLogic.h"
#include "views/TrayState.h"

#include <QIcon>
#include <QString>

enum class ToolIcon {
    Hide,
    NewMacro,
    SaveMacros,
    MacroWizard,
    NewScript,
    OpenScript,
    EditScript,
    RecordScript,
    RunMacro,
    StopMacro,
    Help
};
enum class PageIcon { Manager, Scheduler, Output, Log };

// Resource paths (":/icons/...svg").
QString ProgramIconPath();
QString TreeIconPath(TreeIcon role);
QString TrayIconPath(TrayIcon role);
QString ToolIconPath(ToolIcon role);
QString PageIconPath(PageIcon role);

// Any icon of the set by its file name without ".svg" ("decl-file").
QIcon NamedIcon(const char* name);

QIcon ProgramIcon();
QIcon TreeIconImage(TreeIcon role);
QIcon TrayIconImage(TrayIcon role);
QIcon ToolIconImage(ToolIcon role);
QIcon PageIconImage(PageIcon role);
