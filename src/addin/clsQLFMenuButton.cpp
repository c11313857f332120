#include "src/addin/clsQLFMenuButton.h"

#include "platform/core/Error.h"
#include "platform/office/WordMenuBar.h"
#include "platform/word/Application.h"
#include "src/addin/mdlQLFGlobal.h"

namespace {

// A control of the wrong kind where a button or a menu is expected, as a type mismatch.
template <typename T>
std::shared_ptr<T> as(const std::shared_ptr<office::CommandBarControl>& control)
{
    auto typed = std::dynamic_pointer_cast<T>(control);
    if (control && !typed)
        throw core::runtimeError(core::TypeMismatch, QStringLiteral("QLF"));
    return typed;
}

} // namespace

clsQLFMenuButton::clsQLFMenuButton(QString tagSuffix, QString menuCaption, QString caption)
    : m_strTag(QLatin1String(kTagPrefix) + tagSuffix), m_strMenuCaption(std::move(menuCaption)), m_strCaption(std::move(caption)),
      m_objButton([this](const std::shared_ptr<office::CommandBarButton>& Ctrl, bool& CancelDefault) {
          m_objButton_Click(Ctrl, CancelDefault);
      })
{
}

clsQLFMenuButton::~clsQLFMenuButton() = default;

std::shared_ptr<office::CommandBarButton> clsQLFMenuButton::addButton()
{
    std::shared_ptr<office::CommandBarButton> button = findButton();
    if (!button)
        button = createButton();
    m_objButton = button;
    return button;
}

void clsQLFMenuButton::deleteButton()
{
    for (auto button = findButton(); button; button = findButton())
        button->Delete();
    m_objButton = nullptr;
}

// By tag alone, so hidden controls are found too.
std::shared_ptr<office::CommandBarButton> clsQLFMenuButton::findButton() const
{
    return as<office::CommandBarButton>(
        mdlQLFGlobal::g_objApplication->CommandBars()->FindControl({}, {}, m_strTag));
}

std::shared_ptr<office::CommandBarButton> clsQLFMenuButton::createButton() const
{
    const auto menuBar = mdlQLFGlobal::g_objApplication->CommandBars()->Item(office::kMenuBarName);
    const auto popup = as<office::CommandBarPopup>(menuBar->Controls()->Item(m_strMenuCaption));
    const auto button = as<office::CommandBarButton>(
        popup->CommandBar()->Controls()->Add(office::msoControlButton, office::kCustomControlId, {}, 1, true));
    button->setTag(m_strTag);
    button->setCaption(m_strCaption);
    return button;
}
