#include "app/app.h"
#include "input/keyboard.h"
#include "runtime/list.h"
#include "runtime/strings.h"
#include "unit/app/program_fixture.h"

#include <tuple>

namespace keyweave::testing {
namespace {

using ColourRun = sim::SimGadget::Run;

constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kGreen{0, 255, 102};
constexpr Rgb kRed{255, 100, 100};
constexpr Rgb kCyan{147, 255, 255};
constexpr Rgb kWhite{255, 255, 255};

class MainWindowTest : public WindowTest {
protected:
    void Show(CommandList commands) {
        auto script = std::make_shared<TScript>();
        script->DataList = std::move(commands);
        Program().CurrentScript = script;
        TMainWindow::UpdateScriptView();
    }

    sim::SimGadget& View() { return Gadget(Program().ScriptView); }
};

struct Expected {
    int gadgetClass;
    std::u16string text;
    int x, y, width, height, style;
};

TEST_F(MainWindowTest, CreateBuildsTheGadgetsInOrder) {
    const std::vector<Expected> expected = {
        {WindowClass, u"Keyweave 1.0", 212, 184, 600, 400, 553},
        {LabelClass, u"Current Script", 0, 5, 200, 20, 16},
        {ComboBoxClass, u"", 5, 25, 190, 20, 0},
        {ButtonClass, u"Exit", 5, 370, 190, 25, 8},
        {TextAreaClass, u"", 200, 5, 395, 390, 2},
        {ButtonClass, u"Bind Start/Stop key.", 5, 55, 190, 25, 8},
        {LabelClass, u"", 5, 85, 190, 20, 16},
        {ButtonClass, u"About", 5, 340, 190, 25, 8},
        {ButtonClass, u"Reload Scripts", 5, 310, 190, 25, 8},
        {ButtonClass, u"Record Script", 5, 115, 190, 25, 8},
    };
    const auto& created = sim.GadgetsCreated();
    ASSERT_EQ(created.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const sim::SimGadget& gadget = *created[i];
        EXPECT_EQ(gadget.gadgetClass, expected[i].gadgetClass) << i;
        EXPECT_EQ(gadget.text, expected[i].text) << i;
        EXPECT_EQ(gadget.xpos, expected[i].x) << i;
        EXPECT_EQ(gadget.ypos, expected[i].y) << i;
        EXPECT_EQ(gadget.width, expected[i].width) << i;
        EXPECT_EQ(gadget.height, expected[i].height) << i;
        EXPECT_EQ(gadget.style, expected[i].style) << i;
    }
    EXPECT_EQ(created[0], Program().Window);
    EXPECT_EQ(created[4], Program().ScriptView);
    EXPECT_EQ(View().background, (Rgb{51, 68, 85}));
    EXPECT_EQ(Gadget(Program().Window).status, u"Select a script.");
    EXPECT_EQ(ApplicationTitle(), u"Keyweave 1.0");
}

TEST_F(MainWindowTest, BindLabelShowsDisplayNamesInBindingOrder) {
    Program().BindList = {TKeyboard::ReturnTKeyFromInt(162), TKeyboard::ReturnTKeyFromInt(112)};
    TMainWindow::UpdateBindLabels();
    EXPECT_EQ(Gadget(Program().BindLabel).text, u"<Left Ctrl> <F1> ");
    Program().BindList.clear();
    TMainWindow::UpdateBindLabels();
    EXPECT_EQ(Gadget(Program().BindLabel).text, u"");
}

TEST_F(MainWindowTest, ScriptListOffersEveryScriptWithNoneChosen) {
    for (const char16_t* name : {u"Farm", u"", u"Farm"}) {
        auto script = std::make_shared<TScript>();
        script->Name = name;
        Program().ScriptList.push_back(script);
    }
    AddItem(Program().ScriptCombo, u"stale", 1, -1, u"", nullptr);
    TMainWindow::UpdateScriptList();
    sim::SimGadget& combo = Gadget(Program().ScriptCombo);
    ASSERT_EQ(combo.items.size(), 3u);
    EXPECT_EQ(combo.items[1].text, u"");
    EXPECT_EQ(combo.items[2].text, u"Farm");
    EXPECT_EQ(combo.items[2].extra, Program().ScriptList[2]);
    EXPECT_EQ(combo.current, -1);
}

TEST_F(MainWindowTest, ScriptViewIsEmptyWithoutCommandsAndRedrawnOnce) {
    Show({TCommand::Create(u"STOP", -1, -1)});
    const int redraws = View().redraws;
    Show({});
    EXPECT_EQ(View().area, u"");
    EXPECT_TRUE(View().ColourRuns().empty());
    EXPECT_EQ(View().redraws, redraws + 1);
    EXPECT_EQ(View().lockCount, 0);
    Program().CurrentScript = nullptr;
    TMainWindow::UpdateScriptView();
    EXPECT_EQ(View().area, u"");
}

const std::vector<std::u16string> kInputWords = {u"KEYDOWN",   u"KEYUP",      u"MOUSEDOWN",
                                                 u"MOUSEUP",   u"MOUSELOC",   u"RESTOREMOUSELOC",
                                                 u"LOCKMOUSE", u"UNLOCKMOUSE"};

// The view as the plain procedure builds it: one whole-text replacement per line, then each
// line coloured by the word before its "(", the text between the parentheses and the
// parentheses themselves.
void BuildViewLineByLine(TGadget& view, const CommandList& commands) {
    view.ReplaceText(0, -1, u"", UnitCharacters);
    for (const auto& line : DisplayLines(commands)) {
        view.ReplaceText(0, -1, view.AreaText(0, -1, UnitCharacters) + line + u"\n",
                         UnitCharacters);
    }
    const std::u16string text = view.AreaText(0, -1, UnitCharacters);
    int start = 0;
    std::size_t from = 0;
    while (from <= text.size()) {
        std::size_t to = text.find(u'\n', from);
        if (to == std::u16string::npos) {
            to = text.size();
        }
        const std::u16string line = text.substr(from, to - from);
        const std::size_t open = line.find(u'(');
        if (open != std::u16string::npos) {
            const std::u16string word = line.substr(0, open);
            const std::u16string name = Trim(Upper(word));
            const int paren = start + static_cast<int>(word.size());
            const int restLength = static_cast<int>(line.size() - open);
            if (name == u"SLEEP") {
                view.SetStyle(kGreen, 0, start, static_cast<int>(word.size()), 1);
            } else if (name == u"STOP" || name == u"PAUSE") {
                view.SetStyle(kRed, 0, start, static_cast<int>(word.size()), 1);
            } else if (Contains(kInputWords, name)) {
                view.SetStyle(kYellow, 0, start, static_cast<int>(word.size()), 1);
            }
            view.SetStyle(kCyan, 0, paren + 1, restLength - 2, 1);
            view.SetStyle(kWhite, 0, paren, 1, 1);
            view.SetStyle(kWhite, 0, paren + restLength - 1, 1, 1);
        }
        start += static_cast<int>(line.size()) + 1;
        from = to + 1;
    }
}

TEST_F(MainWindowTest, ScriptViewMatchesTheLineByLineBuild) {
    CommandList commands;
    for (const auto& [name, value, value2] :
         std::vector<std::tuple<std::u16string, int, int>>{{u"KEYDOWN", 65, -1},
                                                           {u"KEYDOWN", 0, -1},
                                                           {u"MOUSEDOWN", 2, -1},
                                                           {u"SLEEP", -5, -1},
                                                           {u"MOUSELOC", -10, 20000},
                                                           {u"LOCKMOUSE", -1, -1},
                                                           {u"RESTOREMOUSELOC", -1, -1},
                                                           {u"MOUSEUP", 2, -1},
                                                           {u"UNLOCKMOUSE", -1, -1},
                                                           {u"KEYUP", 13, -1},
                                                           {u"STOP", -1, -1},
                                                           {u"KEYUP", 65, -1},
                                                           {u"KEYUP", 66, -1},
                                                           {u"MOUSEUP", 3, -1},
                                                           {u"KEYDOWN", 112, -1}}) {
        commands.push_back(TCommand::Create(name, value, value2));
    }
    Show(commands);
    const GadgetRef reference = CreateTextAreaGadget(0, 0, 10, 10, Program().Window, 2);
    BuildViewLineByLine(*reference, commands);
    EXPECT_EQ(View().area, Gadget(reference).area);
    EXPECT_EQ(View().colours, Gadget(reference).colours);
}

} // namespace
} // namespace keyweave::testing
