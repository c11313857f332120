#include "platform/core/Error.h"
#include "platform/office/CommandBars.h"
#include "platform/office/WordMenuBar.h"

#include <gtest/gtest.h>

#include <functional>

using namespace office;

namespace {

constexpr int kMethodFailed = -2147467259;

int errorNumber(const std::function<void()>& call)
{
    try {
        call();
    } catch (const core::Error& e) {
        return e.number();
    }
    return 0;
}

class CommandBarsTest : public ::testing::Test {
protected:
    std::shared_ptr<CommandBars> bars = CommandBars::create();
    std::shared_ptr<CommandBar> menuBar = addWordMenuBar(*bars);

    std::shared_ptr<CommandBar> menu(const QString& caption)
    {
        return std::dynamic_pointer_cast<CommandBarPopup>(menuBar->Controls()->Item(caption))->CommandBar();
    }
    std::shared_ptr<CommandBarButton> addButton(const std::shared_ptr<CommandBar>& bar, const QString& tag,
                                                std::optional<bool> temporary = {})
    {
        auto button = std::dynamic_pointer_cast<CommandBarButton>(bar->Controls()->Add(msoControlButton, {}, {}, {}, temporary));
        button->setTag(tag);
        return button;
    }
};

TEST_F(CommandBarsTest, WordMenuBarHasTheJapaneseMenus)
{
    ASSERT_EQ(bars->Item(kMenuBarName), menuBar);
    QStringList captions;
    for (const auto& c : menuBar->Controls()->items())
        captions << c->Caption();
    EXPECT_EQ(captions, (QStringList{"ファイル(&F)", "編集(&E)", "表示(&V)", "ツール(&T)", "ヘルプ(&H)"}));
    const auto edit = menu("編集(&E)");
    EXPECT_EQ(edit->Name(), "編集(&E)");
    EXPECT_EQ(edit->Controls()->Item(1)->Caption(), "元に戻す");
    EXPECT_EQ(edit->Controls()->Item(2)->Caption(), "やり直し");
    EXPECT_EQ(edit->Controls()->Item(3)->Caption(), "コピー");
    EXPECT_EQ(edit->Controls()->Item(3)->Id(), idEditCopy);
    EXPECT_TRUE(edit->Controls()->Item(3)->BuiltIn());
    EXPECT_EQ(menu("ツール(&T)")->Controls()->Item("あいまい検索のオプション…")->Id(), idToolsFuzzyOptions);
}

TEST_F(CommandBarsTest, MissingItemsAndInvalidArgumentsRaiseError5)
{
    const auto controls = menu("編集(&E)")->Controls();
    const std::vector<std::pair<const char*, std::function<void()>>> calls{
        {"bar by unknown name", [&] { bars->Item(QStringLiteral("メニュー")); }},
        {"bar index 0", [&] { bars->Item(0); }},
        {"duplicate bar name", [&] { bars->Add(kMenuBarName); }},
        {"caption without ampersand", [&] { menuBar->Controls()->Item(QStringLiteral("編集")); }},
        {"index past the end", [&] { controls->Item(6); }},
        {"before 0", [&] { controls->Add(1, 1, {}, 0); }},
        {"before past count + 1", [&] { controls->Add(1, 1, {}, 7); }},
        {"edit box type", [&] { controls->Add(2); }},
        {"unknown built-in id", [&] { controls->Add(1, 424242); }},
    };
    for (const auto& [what, call] : calls)
        EXPECT_EQ(errorNumber(call), core::InvalidProcedureCall) << what;
    EXPECT_EQ(controls->Count(), 5);
}

TEST_F(CommandBarsTest, AddInsertsBeforeTheGivenPosition)
{
    struct Case { std::optional<int> before; int index; };
    for (const Case& c : {Case{1, 1}, Case{2, 2}, Case{3, 3}, Case{std::nullopt, 3}}) {
        auto fresh = bars->Add(QStringLiteral("Bar %1").arg(bars->Count()));
        fresh->Controls()->Add(1)->setCaption("a");
        fresh->Controls()->Add(1)->setCaption("b");
        const auto added = fresh->Controls()->Add(1, 1, {}, c.before, true);
        EXPECT_EQ(added->Index(), c.index);
        EXPECT_EQ(fresh->Controls()->Item(c.index), added);
        EXPECT_EQ(fresh->Controls()->Count(), 3);
    }
}

TEST_F(CommandBarsTest, AddOnTopOfEditLandsAboveCopy)
{
    const auto edit = menu("編集(&E)");
    const auto added = edit->Controls()->Add(msoControlButton, kCustomControlId, {}, 1, true);
    added->setCaption("検索して一覧表示する");
    EXPECT_EQ(added->Type(), msoControlButton);
    EXPECT_FALSE(added->BuiltIn());
    EXPECT_TRUE(added->Temporary());
    EXPECT_EQ(added->Parent(), edit);
    EXPECT_EQ(edit->Controls()->Item(1), added);
    EXPECT_EQ(edit->Controls()->Item(2)->Caption(), "元に戻す");
}

TEST_F(CommandBarsTest, AddWithBuiltinIdCopiesTheCommand)
{
    const auto copy = menu("ファイル(&F)")->Controls()->Add(msoControlPopup, idEditCopy, QStringLiteral("p"));
    EXPECT_EQ(copy->Type(), msoControlButton);
    EXPECT_EQ(copy->Caption(), "コピー");
    EXPECT_EQ(copy->Parameter(), "p");
    EXPECT_NE(copy, menu("編集(&E)")->Controls()->Item(3));
}

TEST_F(CommandBarsTest, FindControlSearchesEveryBarAndNestedMenuIncludingHidden)
{
    auto standard = bars->Add(QStringLiteral("Standard"));
    const auto onToolbar = addButton(standard, "tag.toolbar");
    const auto nestedPopup = std::dynamic_pointer_cast<CommandBarPopup>(menu("表示(&V)")->Controls()->Add(msoControlPopup));
    const auto deep = addButton(nestedPopup->CommandBar(), "tag.deep");
    const auto hidden = addButton(menu("ヘルプ(&H)"), "tag.hidden");
    hidden->setVisible(false);
    const auto underHiddenMenu = addButton(menu("ツール(&T)"), "tag.under-hidden");
    menuBar->Controls()->Item("ツール(&T)")->setVisible(false);

    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("tag.toolbar")), onToolbar);
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("tag.deep")), deep);
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("tag.hidden")), hidden);
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("tag.hidden"), false), hidden);
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("tag.hidden"), true), nullptr);
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("tag.under-hidden")), underHiddenMenu);
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("tag.under-hidden"), true), nullptr);
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("tag.none")), nullptr);
    EXPECT_EQ(bars->FindControl({}, idViewComments)->Caption(), "コメント");
    EXPECT_EQ(bars->FindControl(msoControlPopup, {}, QString())->Caption(), "ファイル(&F)");

    // Two copies of one tag: the first in display order wins.
    const auto earlier = addButton(menu("ファイル(&F)"), "tag.deep");
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("tag.deep")), earlier);
}

TEST_F(CommandBarsTest, DeleteRemovesTheControlAndItsMenu)
{
    const auto view = menu("表示(&V)");
    const auto layout = view->Controls()->Item(1);
    const auto header = view->Controls()->Item(2);
    layout->Delete();
    EXPECT_EQ(view->Controls()->Count(), 3);
    EXPECT_EQ(header->Index(), 1);
    EXPECT_EQ(bars->FindControl({}, idViewPrintLayout), nullptr);
    EXPECT_EQ(errorNumber([&] { layout->Caption(); }), kMethodFailed);
    EXPECT_EQ(errorNumber([&] { layout->Delete(); }), kMethodFailed);

    const auto viewPopup = menuBar->Controls()->Item("表示(&V)");
    viewPopup->Delete();
    EXPECT_EQ(errorNumber([&] { header->setTag("x"); }), kMethodFailed);
    EXPECT_EQ(errorNumber([&] { view->Controls()->Add(); }), kMethodFailed);
    EXPECT_EQ(bars->FindControl({}, idViewComments), nullptr);
    EXPECT_EQ(menuBar->Controls()->Count(), 4);
}

TEST_F(CommandBarsTest, RemoveTemporaryControlsKeepsPermanentOnes)
{
    const auto keep = addButton(menu("編集(&E)"), "keep");
    addButton(menu("編集(&E)"), "temp", true);
    addButton(bars->Add("Standard"), "temp", true);
    const auto tempPopup = std::dynamic_pointer_cast<CommandBarPopup>(menu("表示(&V)")->Controls()->Add(msoControlPopup, {}, {}, 1, true));
    const auto insideTemp = addButton(tempPopup->CommandBar(), "inside");

    bars->removeTemporaryControls();
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("temp")), nullptr);
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("inside")), nullptr);
    EXPECT_EQ(errorNumber([&] { insideTemp->Caption(); }), kMethodFailed);
    EXPECT_EQ(bars->FindControl({}, {}, QStringLiteral("keep")), keep);
    EXPECT_EQ(menu("表示(&V)")->Controls()->Count(), 4);
}

TEST_F(CommandBarsTest, ClickReachesEveryHolderUntilReleased)
{
    const auto button = addButton(menu("編集(&E)"), "b");
    std::vector<std::string> calls;
    auto record = [&calls](std::string who) {
        return [&calls, who](const std::shared_ptr<CommandBarButton>& ctrl, bool&) {
            calls.push_back(who + ":" + ctrl->Tag().toStdString());
        };
    };
    WithEventsButton first(record("first"));
    auto second = std::make_unique<WithEventsButton>(record("second"));
    first = button;
    *second = std::dynamic_pointer_cast<CommandBarButton>(bars->FindControl({}, {}, QStringLiteral("b")));
    EXPECT_EQ(second->get(), first.get());

    button->Execute();
    EXPECT_EQ(calls, (std::vector<std::string>{"first:b", "second:b"}));

    calls.clear();
    second.reset();
    button->Execute();
    first = nullptr;
    button->Execute();
    EXPECT_EQ(calls, (std::vector<std::string>{"first:b"}));
}

TEST_F(CommandBarsTest, HandlerMayReleaseAnotherHolderDuringClick)
{
    const auto button = addButton(menu("編集(&E)"), "b");
    int secondCalls = 0;
    WithEventsButton second([&](const auto&, bool&) { ++secondCalls; });
    WithEventsButton first([&](const auto&, bool&) { second = nullptr; });
    first = button;
    second = button;
    button->Execute();
    EXPECT_EQ(secondCalls, 0);
}

TEST_F(CommandBarsTest, CancelDefaultSuppressesTheBuiltinCommand)
{
    int copies = 0;
    bars->setBuiltinAction(idEditCopy, [&copies] { ++copies; });
    const auto copy = std::dynamic_pointer_cast<CommandBarButton>(bars->FindControl({}, idEditCopy));
    bool cancel = false;
    WithEventsButton holder([&cancel](const auto&, bool& cancelDefault) { cancelDefault = cancel; });
    holder = copy;
    copy->Execute();
    cancel = true;
    copy->Execute();
    EXPECT_EQ(copies, 1);
}

TEST_F(CommandBarsTest, TextsDoNotReferToTheCallersBuffer)
{
    // An add-in's literals are not copied by QString and vanish when its library unloads.
    char16_t buffer[] = u"tag.raw";
    const QString raw = QString::fromRawData(reinterpret_cast<const QChar*>(buffer), 7);
    const auto button = addButton(menu("編集(&E)"), raw);
    button->setCaption(raw);
    button->setParameter(raw);
    button->setTooltipText(raw);
    const auto bar = bars->Add(raw);
    buffer[0] = u'X';
    for (const QString& text : {button->Tag(), button->Caption(), button->Parameter(), button->TooltipText(), bar->Name()})
        EXPECT_EQ(text, "tag.raw");
}

TEST_F(CommandBarsTest, ChangesAreSignalled)
{
    int changes = 0;
    QObject::connect(bars.get(), &CommandBars::changed, [&changes] { ++changes; });
    const auto edit = menu("編集(&E)");
    struct Step { const char* what; std::function<void()> run; int expected; };
    std::shared_ptr<CommandBarControl> added;
    const std::vector<Step> steps{
        {"add", [&] { added = edit->Controls()->Add(1, 1, {}, 1, true); }, 1},
        {"caption", [&] { added->setCaption("x"); }, 1},
        {"same caption", [&] { added->setCaption("x"); }, 0},
        {"visible", [&] { added->setVisible(false); }, 1},
        {"enabled", [&] { added->setEnabled(false); }, 1},
        {"delete", [&] { added->Delete(); }, 1},
        {"popup caption", [&] { menuBar->Controls()->Item(5)->setCaption("?"); }, 1},
    };
    for (const Step& step : steps) {
        changes = 0;
        step.run();
        EXPECT_EQ(changes, step.expected) << step.what;
    }
}

} // namespace
