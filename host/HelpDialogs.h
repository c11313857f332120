#pragma once

#include "platform/addin/Registry.h"
#include "platform/office/CommandBars.h"

#include <QList>
#include <QPair>
#include <QString>

#include <vector>

class QWidget;

// The host's ヘルプ menu: what Tarvelin is, and which keys do what.
namespace host {

// The text of "Tarvelin について": version, licence and the add-ins connected now.
QString aboutText(const std::vector<addin::AddinRecord>& addins);
void showAbout(QWidget* parent, const std::vector<addin::AddinRecord>& addins);

// The keys of the menu bar as it stands (menus, their items, add-ins' items included), then
// those of the windows, as (what, key) rows.
QList<QPair<QString, QString>> shortcutRows(office::CommandBar& menuBar);
void showShortcuts(QWidget* parent, office::CommandBar& menuBar);

} // namespace host
