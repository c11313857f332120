#include "src/addin/clsQLFSearchButton.h"

#include "src/addin/mdlQLFGlobal.h"
#include "src/search/frmQLFFind.h"

clsQLFSearchButton::clsQLFSearchButton()
    : clsQLFMenuButton(QStringLiteral(".qlf searchButton"), QStringLiteral("編集(&E)"), QStringLiteral("検索して一覧表示する"))
{
}

void clsQLFSearchButton::m_objButton_Click(const std::shared_ptr<office::CommandBarButton>&, bool&)
{
    mdlQLFGlobal::g_frmFind->Show(forms::vbModeless);
}
