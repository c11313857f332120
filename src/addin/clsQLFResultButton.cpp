#include "src/addin/clsQLFResultButton.h"

#include "src/addin/mdlQLFGlobal.h"
#include "src/results/frmQLFResult.h"

clsQLFResultButton::clsQLFResultButton()
    : clsQLFMenuButton(QStringLiteral(".qlf resultButton"), QStringLiteral("表示(&V)"), QStringLiteral("検索結果画面を表示する"))
{
}

void clsQLFResultButton::m_objButton_Click(const std::shared_ptr<office::CommandBarButton>&, bool&)
{
    mdlQLFGlobal::g_frmResult->Show(forms::vbModeless);
}
