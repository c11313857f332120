#pragma once

#include "platform/office/CommandBars.h"

#include <QString>

#include <memory>

// Word's classic "Menu Bar" with the host's Japanese menus, and the built-in commands in it.
namespace office {

// Built-in control ids: the menus carry Office's pop-up ids, the commands are this host's own.
enum BuiltinId : int {
    idFileMenu = 30002,
    idEditMenu = 30003,
    idViewMenu = 30004,
    idToolsMenu = 30007,
    idHelpMenu = 30010,
    idFileOpen = 2001,
    idFileClose = 2002,
    idFileExit = 2003,
    idFileSave = 2004,
    idFileSaveAs = 2005,
    idEditCopy = 2101,
    idEditSelectAll = 2102,
    idEditReplace = 2103,
    idEditUndo = 2104,
    idEditRedo = 2105,
    idViewPrintLayout = 2201,
    idViewHeaderFooter = 2202,
    idViewComments = 2203,
    idViewZoom = 2204,
    idToolsFuzzyOptions = 2301,
    idHelpShortcuts = 2401,
    idHelpAbout = 2402,
};

inline const QString kMenuBarName = QStringLiteral("Menu Bar");

struct BuiltinCommand {
    int id;
    MsoControlType type;
    QString caption;
};

// The built-in command with that id, or null.
const BuiltinCommand* builtinCommand(int id);

// Adds "Menu Bar" with its menus (ファイル, 編集, 表示, ツール, ヘルプ) and their built-in items.
std::shared_ptr<CommandBar> addWordMenuBar(CommandBars& bars);

} // namespace office
