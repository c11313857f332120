#pragma once

#include "platform/office/CommandBars.h"

#include <QString>

#include <memory>

// The code the two menu-item owners share: an item in one menu of Word's "Menu Bar", known by
// its tag alone, created or adopted by addButton and removed, every copy, by deleteButton.
class clsQLFMenuButton {
public:
    virtual ~clsQLFMenuButton();
    clsQLFMenuButton(const clsQLFMenuButton&) = delete;
    clsQLFMenuButton& operator=(const clsQLFMenuButton&) = delete;

    // Adopts the item carrying the tag, or adds a temporary one at the top of the menu. Raises
    // Office's error when the menu bar or the menu is missing.
    std::shared_ptr<office::CommandBarButton> addButton();
    // Deletes every control carrying the tag, wherever it sits, and stops handling clicks.
    void deleteButton();

    // The tag both items start with; the owner's suffix follows it.
    static constexpr char kTagPrefix[] = "org.example.tarvelin";

protected:
    // tagSuffix follows kTagPrefix; menuCaption names the menu-bar entry; caption is the item's.
    clsQLFMenuButton(QString tagSuffix, QString menuCaption, QString caption);
    virtual void m_objButton_Click(const std::shared_ptr<office::CommandBarButton>& Ctrl, bool& CancelDefault) = 0;

private:
    std::shared_ptr<office::CommandBarButton> findButton() const;
    std::shared_ptr<office::CommandBarButton> createButton() const;

    QString m_strTag;
    QString m_strMenuCaption;
    QString m_strCaption;
    office::WithEventsButton m_objButton;
};
