#include "host/LiveMenuBar.h"

#include "platform/core/Error.h"
#include "platform/forms/MsgBox.h"
#include "platform/office/WordMenuBar.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace host {

QKeySequence builtinShortcut(int id)
{
    switch (id) {
    case office::idFileOpen:
        return QKeySequence::Open;
    case office::idFileClose:
        return QKeySequence::Close;
    case office::idFileSave:
        return QKeySequence::Save;
    case office::idFileSaveAs:
        return QKeySequence(Qt::Key_F12);
    case office::idEditReplace:
        return QKeySequence(Qt::CTRL | Qt::Key_H);
    case office::idEditUndo:
        return QKeySequence::Undo;
    case office::idEditRedo:
        return QKeySequence(Qt::CTRL | Qt::Key_Y);
    case office::idEditCopy:
        return QKeySequence::Copy;
    case office::idEditSelectAll:
        return QKeySequence::SelectAll;
    default:
        return {};
    }
}

namespace {

// A click's failure (the add-in's handler or the built-in command) is reported, not fatal.
void click(const std::shared_ptr<office::CommandBarButton>& button)
{
    try {
        button->Execute();
    } catch (const core::Error& e) {
        forms::MsgBox(e.description(), forms::vbExclamation, QStringLiteral("Tarvelin"));
    }
}

} // namespace

LiveMenuBar::LiveMenuBar(std::shared_ptr<office::CommandBars> bars, QMenuBar* menuBar)
    : QObject(menuBar), m_bars(std::move(bars)), m_menuBar(menuBar)
{
    connect(m_bars.get(), &office::CommandBars::changed, this, &LiveMenuBar::rebuild);
    rebuild();
}

void LiveMenuBar::rebuild()
{
    // The old items go later: the change may come from one of their own triggered() signals.
    for (QAction* action : m_menuBar->actions()) {
        m_menuBar->removeAction(action);
        if (QMenu* menu = action->menu())
            menu->deleteLater();
        else
            action->deleteLater();
    }
    std::shared_ptr<office::CommandBar> bar;
    try {
        bar = m_bars->Item(office::kMenuBarName);
    } catch (const core::Error&) {
        return; // an add-in may delete the whole bar; the window then has no menus
    }
    for (const auto& control : bar->Controls()->items())
        addControl(m_menuBar, control);
}

void LiveMenuBar::fill(QMenu* menu, office::CommandBar& bar)
{
    for (const auto& control : bar.Controls()->items())
        addControl(menu, control);
}

void LiveMenuBar::addControl(QWidget* target, const std::shared_ptr<office::CommandBarControl>& control)
{
    QAction* action = nullptr;
    if (auto popup = std::dynamic_pointer_cast<office::CommandBarPopup>(control)) {
        auto* menu = new QMenu(popup->Caption(), target);
        fill(menu, *popup->CommandBar());
        action = menu->menuAction();
    } else {
        action = new QAction(control->Caption(), target);
        action->setShortcut(builtinShortcut(control->Id()));
        if (auto button = std::dynamic_pointer_cast<office::CommandBarButton>(control)) {
            connect(action, &QAction::triggered, this, [button] { click(button); });
            action->setCheckable(button->State() == office::msoButtonDown);
            action->setChecked(action->isCheckable());
        }
    }
    action->setVisible(control->Visible());
    action->setEnabled(control->Enabled());
    action->setToolTip(control->TooltipText());
    target->addAction(action);
}

} // namespace host
