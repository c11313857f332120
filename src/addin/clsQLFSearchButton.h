#pragma once

#include "src/addin/clsQLFMenuButton.h"

// Owner of "検索して一覧表示する" at the top of the Edit menu: a click shows the search dialog.
class clsQLFSearchButton : public clsQLFMenuButton {
public:
    clsQLFSearchButton();

protected:
    void m_objButton_Click(const std::shared_ptr<office::CommandBarButton>& Ctrl, bool& CancelDefault) override;
};
