#pragma once

#include "src/addin/clsQLFMenuButton.h"

// Owner of "検索結果画面を表示する" at the top of the View menu: a click shows the result window.
class clsQLFResultButton : public clsQLFMenuButton {
public:
    clsQLFResultButton();

protected:
    void m_objButton_Click(const std::shared_ptr<office::CommandBarButton>& Ctrl, bool& CancelDefault) override;
};
