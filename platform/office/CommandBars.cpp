#include "platform/office/CommandBars.h"

#include "platform/core/Error.h"
#include "platform/office/WordMenuBar.h"

#include <algorithm>

namespace office {

namespace {

const QString kSource = QStringLiteral("Tarvelin");

// Office's automation failure (0x80004005) for a member of an object that no longer exists.
constexpr int kMethodFailed = -2147467259;

// A copy with its own buffer: controls outlive the add-in that set their texts, and a copy of
// its QStringLiteral would point into the add-in's unloaded library.
QString owned(const QString& text)
{
    return QString(text.constData(), text.size());
}

[[noreturn]] void invalidArgument()
{
    throw core::runtimeError(core::InvalidProcedureCall, kSource);
}

} // namespace

// ---- CommandBarControl

CommandBarControl::CommandBarControl(int type, int id, bool builtIn, bool temporary)
    : m_type(type), m_id(id), m_builtIn(builtIn), m_temporary(temporary)
{
}

CommandBarControl::~CommandBarControl() = default;

void CommandBarControl::requireLive(const char* member) const
{
    if (m_deleted)
        throw core::Error(kMethodFailed, kSource,
                          QStringLiteral("'%1' メソッドは失敗しました: '%2' オブジェクト")
                              .arg(QLatin1String(member), QLatin1String(typeName())));
}

std::shared_ptr<CommandBars> CommandBarControl::root() const
{
    const auto parent = m_parent.lock();
    const auto bar = parent ? parent->bar() : nullptr;
    return bar ? bar->root() : nullptr;
}

void CommandBarControl::changed() const
{
    if (const auto bars = root())
        bars->notifyChanged();
}

template <typename T>
void CommandBarControl::assign(T& member, const T& value, const char* name)
{
    requireLive(name);
    if (member == value)
        return;
    member = value;
    changed();
}

int CommandBarControl::Type() const { requireLive("Type"); return m_type; }
int CommandBarControl::Id() const { requireLive("Id"); return m_id; }
bool CommandBarControl::BuiltIn() const { requireLive("BuiltIn"); return m_builtIn; }
bool CommandBarControl::Temporary() const { requireLive("Temporary"); return m_temporary; }
QString CommandBarControl::Caption() const { requireLive("Caption"); return m_caption; }
QString CommandBarControl::Tag() const { requireLive("Tag"); return m_tag; }
bool CommandBarControl::Visible() const { requireLive("Visible"); return m_visible; }
bool CommandBarControl::Enabled() const { requireLive("Enabled"); return m_enabled; }
QString CommandBarControl::Parameter() const { requireLive("Parameter"); return m_parameter; }
QString CommandBarControl::TooltipText() const { requireLive("TooltipText"); return m_tooltip; }

void CommandBarControl::setCaption(const QString& caption) { assign(m_caption, owned(caption), "Caption"); }
void CommandBarControl::setTag(const QString& tag) { assign(m_tag, owned(tag), "Tag"); }
void CommandBarControl::setVisible(bool visible) { assign(m_visible, visible, "Visible"); }
void CommandBarControl::setEnabled(bool enabled) { assign(m_enabled, enabled, "Enabled"); }
void CommandBarControl::setParameter(const QString& parameter) { assign(m_parameter, owned(parameter), "Parameter"); }
void CommandBarControl::setTooltipText(const QString& text) { assign(m_tooltip, owned(text), "TooltipText"); }

int CommandBarControl::Index() const
{
    requireLive("Index");
    const auto& items = m_parent.lock()->items();
    const auto it = std::find_if(items.begin(), items.end(), [this](const auto& c) { return c.get() == this; });
    return int(it - items.begin()) + 1;
}

std::shared_ptr<CommandBar> CommandBarControl::Parent() const
{
    requireLive("Parent");
    return m_parent.lock()->bar();
}

void CommandBarControl::Delete(std::optional<bool>)
{
    requireLive("Delete");
    const auto bars = root();
    const auto parent = m_parent.lock();
    const auto self = shared_from_this(); // the parent's reference may be the last one
    markDeleted();
    parent->remove(this);
    if (bars)
        bars->notifyChanged();
}

void CommandBarControl::markDeleted()
{
    m_deleted = true;
}

// ---- CommandBarButton

CommandBarButton::CommandBarButton(int id, bool builtIn, bool temporary)
    : CommandBarControl(msoControlButton, id, builtIn, temporary)
{
}

int CommandBarButton::State() const
{
    requireLive("State");
    return m_state;
}

void CommandBarButton::setState(int state) { assign(m_state, state, "State"); }

void CommandBarButton::Execute()
{
    requireLive("Execute");
    const auto self = std::static_pointer_cast<CommandBarButton>(shared_from_this());
    bool cancelDefault = false;
    // A handler may release its own or another holder's reference while the click runs.
    std::vector<std::uint64_t> sinks;
    for (const auto& [sink, handler] : m_sinks)
        sinks.push_back(sink);
    for (std::uint64_t sink : sinks) {
        const auto it = std::find_if(m_sinks.begin(), m_sinks.end(), [sink](const auto& s) { return s.first == sink; });
        if (it == m_sinks.end())
            continue;
        const ClickHandler handler = it->second;
        handler(self, cancelDefault);
    }
    if (!cancelDefault && BuiltIn())
        if (const auto bars = root())
            bars->runBuiltinAction(Id());
}

std::uint64_t CommandBarButton::subscribe(ClickHandler handler)
{
    m_sinks.emplace_back(m_nextSink, std::move(handler));
    return m_nextSink++;
}

void CommandBarButton::unsubscribe(std::uint64_t sink)
{
    std::erase_if(m_sinks, [sink](const auto& s) { return s.first == sink; });
}

// ---- CommandBarPopup

CommandBarPopup::CommandBarPopup(int id, bool builtIn, bool temporary)
    : CommandBarControl(msoControlPopup, id, builtIn, temporary)
{
}

void CommandBarPopup::attachMenu(const std::shared_ptr<CommandBars>& root)
{
    m_menu = std::make_shared<office::CommandBar>(
        QString(), root, std::static_pointer_cast<CommandBarPopup>(shared_from_this()));
}

std::shared_ptr<CommandBar> CommandBarPopup::CommandBar() const
{
    requireLive("CommandBar");
    return m_menu;
}

void CommandBarPopup::markDeleted()
{
    CommandBarControl::markDeleted();
    for (const auto& item : m_menu->Controls()->items())
        item->markDeleted();
}

// ---- WithEventsButton

WithEventsButton::WithEventsButton(CommandBarButton::ClickHandler onClick)
    : m_onClick(std::move(onClick))
{
}

WithEventsButton::~WithEventsButton()
{
    *this = nullptr;
}

WithEventsButton& WithEventsButton::operator=(std::shared_ptr<CommandBarButton> button)
{
    if (m_button)
        m_button->unsubscribe(m_sink);
    m_button = std::move(button);
    if (m_button)
        m_sink = m_button->subscribe(m_onClick);
    return *this;
}

// ---- CommandBarControls

CommandBarControls::CommandBarControls(std::weak_ptr<office::CommandBar> bar)
    : m_bar(std::move(bar))
{
}

int CommandBarControls::Count() const
{
    return int(m_items.size());
}

std::shared_ptr<CommandBarControl> CommandBarControls::Item(int index) const
{
    if (index < 1 || index > Count())
        invalidArgument();
    return m_items[size_t(index - 1)];
}

std::shared_ptr<CommandBarControl> CommandBarControls::Item(const QString& caption) const
{
    const auto it = std::find_if(m_items.begin(), m_items.end(),
                                 [&caption](const auto& c) { return c->Caption() == caption; });
    if (it == m_items.end())
        invalidArgument();
    return *it;
}

std::shared_ptr<CommandBarControl> CommandBarControls::Add(std::optional<int> Type, std::optional<int> Id,
                                                           std::optional<QString> Parameter,
                                                           std::optional<int> Before,
                                                           std::optional<bool> Temporary)
{
    const auto bar = m_bar.lock();
    if (const auto popup = bar->popup())
        static_cast<const CommandBarControl&>(*popup).requireLive("Add");
    const int id = Id.value_or(kCustomControlId);
    const BuiltinCommand* builtin = id == kCustomControlId ? nullptr : builtinCommand(id);
    if (id != kCustomControlId && !builtin)
        invalidArgument();
    // Office takes a built-in command's own type and ignores the one asked for.
    const int type = builtin ? builtin->type : Type.value_or(msoControlButton);
    const int before = Before.value_or(Count() + 1);
    if (before < 1 || before > Count() + 1)
        invalidArgument();

    const bool temporary = Temporary.value_or(false);
    std::shared_ptr<CommandBarControl> control;
    if (type == msoControlButton) {
        control = std::make_shared<CommandBarButton>(id, builtin != nullptr, temporary);
    } else if (type == msoControlPopup) {
        auto popup = std::make_shared<CommandBarPopup>(id, builtin != nullptr, temporary);
        popup->attachMenu(bar->root());
        control = popup;
    } else {
        invalidArgument();
    }
    if (builtin)
        control->m_caption = builtin->caption;
    control->m_parameter = owned(Parameter.value_or(QString()));
    control->m_parent = std::static_pointer_cast<CommandBarControls>(shared_from_this());
    m_items.insert(m_items.begin() + (before - 1), control);
    control->changed();
    return control;
}

void CommandBarControls::remove(const CommandBarControl* control)
{
    std::erase_if(m_items, [control](const auto& c) { return c.get() == control; });
}

// ---- CommandBar

CommandBar::CommandBar(QString name, std::weak_ptr<CommandBars> root, std::weak_ptr<CommandBarPopup> popup)
    : m_name(std::move(name)), m_visible(popup.expired()), m_root(std::move(root)), m_popup(std::move(popup))
{
}

QString CommandBar::Name() const
{
    if (const auto owner = popup())
        return owner->Caption();
    return m_name;
}

std::shared_ptr<CommandBarControls> CommandBar::Controls()
{
    if (!m_controls)
        m_controls = std::make_shared<CommandBarControls>(
            std::static_pointer_cast<CommandBar>(shared_from_this()));
    return m_controls;
}

void CommandBar::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    if (const auto bars = root())
        bars->notifyChanged();
}

// ---- CommandBars

std::shared_ptr<CommandBars> CommandBars::create()
{
    return std::shared_ptr<CommandBars>(new CommandBars);
}

int CommandBars::Count() const
{
    return int(m_bars.size());
}

std::shared_ptr<CommandBar> CommandBars::Item(int index) const
{
    if (index < 1 || index > Count())
        invalidArgument();
    return m_bars[size_t(index - 1)];
}

std::shared_ptr<CommandBar> CommandBars::Item(const QString& name) const
{
    const auto it = std::find_if(m_bars.begin(), m_bars.end(), [&name](const auto& b) { return b->Name() == name; });
    if (it == m_bars.end())
        invalidArgument();
    return *it;
}

std::shared_ptr<CommandBar> CommandBars::Add(const QString& Name)
{
    if (Name.isEmpty() || std::any_of(m_bars.begin(), m_bars.end(), [&Name](const auto& b) { return b->Name() == Name; }))
        invalidArgument();
    auto bar = std::make_shared<CommandBar>(owned(Name), std::static_pointer_cast<CommandBars>(shared_from_this()),
                                            std::weak_ptr<CommandBarPopup>());
    m_bars.push_back(bar);
    emit changed();
    return bar;
}

namespace {

// Depth first, in display order; with visibleOnly a hidden control hides its menu too.
template <typename Pred>
std::shared_ptr<CommandBarControl> findIn(CommandBar& bar, const Pred& matches, bool visibleOnly)
{
    for (const auto& control : bar.Controls()->items()) {
        if (visibleOnly && !control->Visible())
            continue;
        if (matches(*control))
            return control;
        if (const auto popup = std::dynamic_pointer_cast<CommandBarPopup>(control))
            if (auto found = findIn(*popup->CommandBar(), matches, visibleOnly))
                return found;
    }
    return nullptr;
}

template <typename Pred>
std::shared_ptr<CommandBarControl> findInAll(const std::vector<std::shared_ptr<CommandBar>>& bars,
                                             const Pred& matches, bool visibleOnly)
{
    for (const auto& bar : bars) {
        if (visibleOnly && !bar->Visible())
            continue;
        if (auto found = findIn(*bar, matches, visibleOnly))
            return found;
    }
    return nullptr;
}

} // namespace

std::shared_ptr<CommandBarControl> CommandBars::FindControl(std::optional<int> Type, std::optional<int> Id,
                                                            std::optional<QString> Tag,
                                                            std::optional<bool> Visible) const
{
    const auto matches = [&](const CommandBarControl& c) {
        return (!Type || c.Type() == *Type) && (!Id || c.Id() == *Id) && (!Tag || c.Tag() == *Tag);
    };
    return findInAll(m_bars, matches, Visible.value_or(false));
}

void CommandBars::removeTemporaryControls()
{
    const auto temporary = [](const CommandBarControl& c) { return c.Temporary(); };
    while (const auto control = findInAll(m_bars, temporary, false))
        control->Delete();
}

void CommandBars::setBuiltinAction(int id, std::function<void()> action)
{
    m_builtinActions[id] = std::move(action);
}

void CommandBars::runBuiltinAction(int id) const
{
    const auto it = m_builtinActions.find(id);
    if (it != m_builtinActions.end() && it->second)
        it->second();
}

} // namespace office
