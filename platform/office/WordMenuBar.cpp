#include "platform/office/WordMenuBar.h"

#include <algorithm>
#include <array>

namespace office {

namespace {

const std::array<BuiltinCommand, 22>& catalogue()
{
    static const std::array<BuiltinCommand, 22> commands{{
        {idFileMenu, msoControlPopup, QStringLiteral("ファイル(&F)")},
        {idEditMenu, msoControlPopup, QStringLiteral("編集(&E)")},
        {idViewMenu, msoControlPopup, QStringLiteral("表示(&V)")},
        {idToolsMenu, msoControlPopup, QStringLiteral("ツール(&T)")},
        {idHelpMenu, msoControlPopup, QStringLiteral("ヘルプ(&H)")},
        {idFileOpen, msoControlButton, QStringLiteral("開く…")},
        {idFileClose, msoControlButton, QStringLiteral("閉じる")},
        {idFileExit, msoControlButton, QStringLiteral("終了")},
        {idFileSave, msoControlButton, QStringLiteral("上書き保存")},
        {idFileSaveAs, msoControlButton, QStringLiteral("名前を付けて保存…")},
        {idEditUndo, msoControlButton, QStringLiteral("元に戻す")},
        {idEditRedo, msoControlButton, QStringLiteral("やり直し")},
        {idEditCopy, msoControlButton, QStringLiteral("コピー")},
        {idEditSelectAll, msoControlButton, QStringLiteral("すべて選択")},
        {idEditReplace, msoControlButton, QStringLiteral("置換…")},
        {idViewPrintLayout, msoControlButton, QStringLiteral("印刷レイアウト")},
        {idViewHeaderFooter, msoControlButton, QStringLiteral("ヘッダーとフッター")},
        {idViewComments, msoControlButton, QStringLiteral("コメント")},
        {idViewZoom, msoControlButton, QStringLiteral("ズーム…")},
        {idToolsFuzzyOptions, msoControlButton, QStringLiteral("あいまい検索のオプション…")},
        {idHelpShortcuts, msoControlButton, QStringLiteral("キーボード ショートカット")},
        {idHelpAbout, msoControlButton, QStringLiteral("Tarvelin について")},
    }};
    return commands;
}

struct Menu {
    int id;
    std::vector<int> items;
};

} // namespace

const BuiltinCommand* builtinCommand(int id)
{
    const auto& all = catalogue();
    const auto it = std::find_if(all.begin(), all.end(), [id](const BuiltinCommand& c) { return c.id == id; });
    return it == all.end() ? nullptr : &*it;
}

std::shared_ptr<CommandBar> addWordMenuBar(CommandBars& bars)
{
    static const std::vector<Menu> menus{
        {idFileMenu, {idFileOpen, idFileSave, idFileSaveAs, idFileClose, idFileExit}},
        {idEditMenu, {idEditUndo, idEditRedo, idEditCopy, idEditSelectAll, idEditReplace}},
        {idViewMenu, {idViewPrintLayout, idViewHeaderFooter, idViewComments, idViewZoom}},
        {idToolsMenu, {idToolsFuzzyOptions}},
        {idHelpMenu, {idHelpShortcuts, idHelpAbout}},
    };
    auto bar = bars.Add(kMenuBarName);
    for (const Menu& menu : menus) {
        auto popup = std::static_pointer_cast<CommandBarPopup>(bar->Controls()->Add(msoControlPopup, menu.id));
        for (int item : menu.items)
            popup->CommandBar()->Controls()->Add(msoControlButton, item);
    }
    return bar;
}

} // namespace office
