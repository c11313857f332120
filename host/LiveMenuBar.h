#pragma once

#include "platform/office/CommandBars.h"

#include <QKeySequence>
#include <QObject>

#include <memory>

class QMenu;
class QMenuBar;

namespace host {

// The key of a built-in command of the menu bar (empty for none).
QKeySequence builtinShortcut(int id);

// Draws the "Menu Bar" command bar as a window's menu bar and redraws it on every change of
// the command bars, so an item an add-in adds or deletes shows at once, where it asked to be.
// Choosing an item clicks its button (Click to every holder, then the built-in command).
class LiveMenuBar : public QObject {
    Q_OBJECT
public:
    LiveMenuBar(std::shared_ptr<office::CommandBars> bars, QMenuBar* menuBar);

    // Redraws the menu bar from the command bars.
    void rebuild();

private:
    void fill(QMenu* menu, office::CommandBar& bar);
    void addControl(QWidget* target, const std::shared_ptr<office::CommandBarControl>& control);

    std::shared_ptr<office::CommandBars> m_bars;
    QMenuBar* m_menuBar;
};

} // namespace host
