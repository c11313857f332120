#pragma once

#include "platform/core/Object.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

// Office command bars: bars, their controls and nested pop-up menus, as shared handles with
// identity (two handles to one control are the same pointer). Every failing call throws
// core::Error.
namespace office {

enum MsoControlType : int {
    msoControlCustom = 0,
    msoControlButton = 1,
    msoControlPopup = 10,
};

enum MsoButtonState : int {
    msoButtonUp = 0,
    msoButtonDown = -1,   // drawn pressed; a menu item shows a check mark
};

// Id of a blank custom control (Controls.Add with Id 1 or omitted).
constexpr int kCustomControlId = 1;

class CommandBars;
class CommandBar;
class CommandBarControls;
class CommandBarButton;
class CommandBarPopup;

// One control on a bar or in a menu. After Delete every member throws.
class CommandBarControl : public core::Object {
public:
    ~CommandBarControl() override;

    int Type() const;
    int Id() const;
    bool BuiltIn() const;
    bool Temporary() const;
    // 1-based position in the bar that holds it.
    int Index() const;
    // The bar (or pop-up menu) that holds it.
    std::shared_ptr<CommandBar> Parent() const;

    QString Caption() const;
    void setCaption(const QString& caption);
    QString Tag() const;
    void setTag(const QString& tag);
    bool Visible() const;
    void setVisible(bool visible);
    bool Enabled() const;
    void setEnabled(bool enabled);
    QString Parameter() const;
    void setParameter(const QString& parameter);
    QString TooltipText() const;
    void setTooltipText(const QString& text);

    // Removes the control (and, for a pop-up, everything in it) from its bar. The argument is
    // accepted as Office does; removal lasts for this session either way.
    void Delete(std::optional<bool> Temporary = {});

protected:
    CommandBarControl(int type, int id, bool builtIn, bool temporary);
    // Throws the error Office gives for a member of a control that no longer exists.
    void requireLive(const char* member) const;
    virtual const char* typeName() const = 0;
    // The command bars tree the control belongs to, or null once detached.
    std::shared_ptr<CommandBars> root() const;
    virtual void markDeleted();
    void changed() const;
    template <typename T> void assign(T& member, const T& value, const char* name);

private:
    friend class CommandBarControls;
    friend class CommandBarPopup; // deletes the controls of its menu with it

    int m_type;
    int m_id;
    bool m_builtIn;
    bool m_temporary;
    bool m_deleted = false;
    QString m_caption;
    QString m_tag;
    bool m_visible = true;
    bool m_enabled = true;
    QString m_parameter;
    QString m_tooltip;
    std::weak_ptr<CommandBarControls> m_parent;
};

// A plain button (msoControlButton); its Click reaches every WithEventsButton holding it.
class CommandBarButton : public CommandBarControl {
public:
    using ClickHandler =
        std::function<void(const std::shared_ptr<CommandBarButton>& Ctrl, bool& CancelDefault)>;

    CommandBarButton(int id, bool builtIn, bool temporary);

    // Clicks the button as its menu item does: raises Click to every holder, then, unless a
    // handler set CancelDefault, runs the built-in command registered for its Id.
    void Execute();
    int State() const;
    void setState(int state);

private:
    friend class WithEventsButton;
    const char* typeName() const override { return "CommandBarButton"; }
    std::uint64_t subscribe(ClickHandler handler);
    void unsubscribe(std::uint64_t sink);

    int m_state = msoButtonUp;
    std::uint64_t m_nextSink = 1;
    std::vector<std::pair<std::uint64_t, ClickHandler>> m_sinks;
};

// A control that opens a menu (msoControlPopup); the menu is its own CommandBar.
class CommandBarPopup : public CommandBarControl {
public:
    CommandBarPopup(int id, bool builtIn, bool temporary);

    std::shared_ptr<office::CommandBar> CommandBar() const;

private:
    friend class CommandBarControls;
    void attachMenu(const std::shared_ptr<CommandBars>& root);
    const char* typeName() const override { return "CommandBarPopup"; }
    void markDeleted() override;

    std::shared_ptr<office::CommandBar> m_menu;
};

// A reference to a button declared WithEvents: while it holds a button, that button's clicks
// reach the handler; assigning another button or null (or destroying the holder) stops them.
class WithEventsButton {
public:
    explicit WithEventsButton(CommandBarButton::ClickHandler onClick);
    ~WithEventsButton();
    WithEventsButton(const WithEventsButton&) = delete;
    WithEventsButton& operator=(const WithEventsButton&) = delete;

    WithEventsButton& operator=(std::shared_ptr<CommandBarButton> button);
    const std::shared_ptr<CommandBarButton>& get() const { return m_button; }
    CommandBarButton* operator->() const { return m_button.get(); }
    explicit operator bool() const { return m_button != nullptr; }

private:
    CommandBarButton::ClickHandler m_onClick;
    std::shared_ptr<CommandBarButton> m_button;
    std::uint64_t m_sink = 0;
};

// The controls of one bar, in display order.
class CommandBarControls : public core::Object {
public:
    explicit CommandBarControls(std::weak_ptr<office::CommandBar> bar);

    int Count() const;
    // By 1-based index or by exact caption; a missing item throws error 5.
    std::shared_ptr<CommandBarControl> Item(int index) const;
    std::shared_ptr<CommandBarControl> Item(const QString& caption) const;
    // Type 1 (button, the default) or 10 (pop-up); Id 1 or omitted for a blank custom control,
    // another Id copies that built-in command; Before is the 1-based position the new control
    // takes (omitted = appended); Temporary controls go when the host closes. Invalid
    // arguments throw error 5.
    std::shared_ptr<CommandBarControl> Add(std::optional<int> Type = {}, std::optional<int> Id = {},
                                           std::optional<QString> Parameter = {},
                                           std::optional<int> Before = {},
                                           std::optional<bool> Temporary = {});

    const std::vector<std::shared_ptr<CommandBarControl>>& items() const { return m_items; }
    std::shared_ptr<office::CommandBar> bar() const { return m_bar.lock(); }

private:
    friend class CommandBarControl;
    void remove(const CommandBarControl* control);

    std::weak_ptr<office::CommandBar> m_bar;
    std::vector<std::shared_ptr<CommandBarControl>> m_items;
};

// A toolbar, the menu bar, or the menu a pop-up opens.
class CommandBar : public core::Object {
public:
    CommandBar(QString name, std::weak_ptr<CommandBars> root, std::weak_ptr<CommandBarPopup> popup);

    // A pop-up's menu is named after the pop-up's caption.
    QString Name() const;
    std::shared_ptr<CommandBarControls> Controls();
    bool Visible() const { return m_visible; }
    void setVisible(bool visible);

    std::shared_ptr<CommandBars> root() const { return m_root.lock(); }
    // The pop-up that opens this menu, or null for a top-level bar.
    std::shared_ptr<CommandBarPopup> popup() const { return m_popup.lock(); }

private:
    QString m_name;
    bool m_visible;
    std::weak_ptr<CommandBars> m_root;
    std::weak_ptr<CommandBarPopup> m_popup;
    std::shared_ptr<CommandBarControls> m_controls;
};

// The application's command bars. Signals every change so that a host can draw bars live.
class CommandBars : public QObject, public core::Object {
    Q_OBJECT
public:
    static std::shared_ptr<CommandBars> create();

    int Count() const;
    // By 1-based index or by name ("Menu Bar"); a missing bar throws error 5.
    std::shared_ptr<CommandBar> Item(int index) const;
    std::shared_ptr<CommandBar> Item(const QString& name) const;
    // A new, empty, visible top-level bar; a name already in use throws error 5.
    std::shared_ptr<CommandBar> Add(const QString& Name);

    // The first control over every bar and every nested menu, in display order, that matches
    // every criterion given; Visible True skips hidden controls, omitted or False searches
    // hidden ones too. Null when nothing matches.
    std::shared_ptr<CommandBarControl> FindControl(std::optional<int> Type = {},
                                                   std::optional<int> Id = {},
                                                   std::optional<QString> Tag = {},
                                                   std::optional<bool> Visible = {}) const;

    // Deletes every temporary control, as the host does when it closes.
    void removeTemporaryControls();

    // The command a built-in control runs when clicked and not cancelled.
    void setBuiltinAction(int id, std::function<void()> action);
    void runBuiltinAction(int id) const;

    void notifyChanged() { emit changed(); }

signals:
    // A control was added, deleted, or one of its shown properties changed.
    void changed();

private:
    CommandBars() = default;

    std::vector<std::shared_ptr<CommandBar>> m_bars;
    std::map<int, std::function<void()>> m_builtinActions;
};

} // namespace office
