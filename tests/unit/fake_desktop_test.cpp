// The test-only fakes answer and record as their contract says.
#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/scripted_ui.h"
#include "platform/dialogs.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "platform/wallpaper.h"
#include "platform/window.h"

using namespace sarvo;

TEST(FakeDesktop, KeysStartsAndAppliesAreRecordedAndCanFail) {
    fake::ResetDesktop();
    fake::TheDesktop().dDown = true;
    EXPECT_FALSE(platform::IsKeyDown(platform::Key::Space));
    EXPECT_TRUE(platform::IsKeyDown(platform::Key::D));
    std::string why;
    EXPECT_TRUE(platform::StartProgram("/p/x", "/nowall", platform::WindowStyle::Minimized, why));
    EXPECT_TRUE(platform::ApplyWallpaper("/b.bmp", why));
    fake::TheDesktop().applySucceeds = false;
    fake::TheDesktop().startSucceeds = false;
    EXPECT_FALSE(platform::ApplyWallpaper("/c.bmp", why));
    EXPECT_EQ(why, fake::TheDesktop().applyFailure);
    EXPECT_FALSE(platform::StartProgram("/p/y", "", platform::WindowStyle::Normal, why));
    const auto& d = fake::TheDesktop();
    EXPECT_EQ(d.keysProbed, (std::vector<platform::Key>{platform::Key::Space, platform::Key::D}));
    ASSERT_EQ(d.started.size(), 1u);
    EXPECT_EQ(d.started[0].arguments, "/nowall");
    EXPECT_EQ(d.applied, std::vector<std::string>{"/b.bmp"});
}

TEST(ScriptedUi, AnswersFromTheScriptThenTheCancelAnswer) {
    fake::ResetScriptedUi();
    fake::ScriptedUi().answers = {platform::kAnswerYes};
    EXPECT_EQ(platform::ShowMessage("C", "a\r\nb", platform::kYesNo), platform::kAnswerYes);
    EXPECT_EQ(platform::ShowMessage("C", "again", platform::kYesNo), platform::kAnswerNo);
    EXPECT_EQ(platform::ShowMessage("C", "done", platform::kIconError), platform::kAnswerOk);
    const auto& shown = fake::ScriptedUi().shown;
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "a\r\nb");
    EXPECT_EQ(shown[2].style, platform::kIconError);
}

TEST(FakeDesktop, FoldersAddressesAndTheScreen) {
    fake::ResetDesktop();
    std::string why;
    int width = 0, height = 0;
    EXPECT_TRUE(platform::OpenFolderWindow("/f", why) && platform::OpenWebAddress("https://a/", why));
    EXPECT_TRUE(platform::PrimaryScreenSize(width, height));
    EXPECT_EQ(width * 10000 + height, 1024 * 10000 + 768);
    fake::TheDesktop().openSucceeds = fake::TheDesktop().screenKnown = false;
    EXPECT_FALSE(platform::OpenFolderWindow("/g", why) || platform::PrimaryScreenSize(width, height));
    EXPECT_EQ(width + height, 0);
    EXPECT_EQ(fake::TheDesktop().openedFolders, std::vector<std::string>{"/f"});
    EXPECT_EQ(fake::TheDesktop().openedAddresses, std::vector<std::string>{"https://a/"});
}

TEST(ScriptedUi, DialogsAnswerFromTheScriptThenCancel) {
    fake::ResetScriptedUi();
    fake::ScriptedUi().dialogAnswers = {{platform::DialogResult::Ok, "/chosen"},
                                        {platform::DialogResult::Error, "broken"}};
    std::string text, why;
    EXPECT_EQ(platform::BrowseForFolder("T", "/start", text, why), platform::DialogResult::Ok);
    EXPECT_EQ(platform::InputBox("C", "P", "init", text, why), platform::DialogResult::Error);
    EXPECT_EQ(platform::InputBox("C", "P", "init", text, why), platform::DialogResult::Cancel);
    EXPECT_EQ(text + why, "/chosenbroken");
    ASSERT_EQ(fake::ScriptedUi().dialogs.size(), 3u);
    EXPECT_EQ(fake::ScriptedUi().dialogs[0].initial, "/start");
}

TEST(ScriptedUi, WindowActsOnTheModelsByNameThenCloses) {
    fake::ResetScriptedUi();
    TextBox box;
    CheckBox tick;
    ComboBox list({"a", "b"});
    Button button;
    int clicks = 0, closes = 0;
    button.OnClick = [&] { ++clicks; };
    FormSpec form;
    form.onUnload = [&] { ++closes; };
    auto control = [](const char* name, ControlKind kind, Control& model) {
        ControlSpec c;
        c.name = name, c.kind = kind, c.model = &model;
        return c;
    };
    form.controls = {control("txt", ControlKind::TextBox, box), control("chk", ControlKind::CheckBox, tick),
                     control("cbo", ControlKind::DropDownList, list), control("cmd", ControlKind::Button, button)};
    fake::ScriptedUi().user = [](FormSpec& f) {
        for (const char* action : {"text txt a b", "click chk", "choose cbo 1", "click cmd"})
            EXPECT_TRUE(fake::ActInWindow(f, action)) << action;
        EXPECT_FALSE(fake::ActInWindow(f, "click nothing") || fake::ActInWindow(f, "choose txt 1"));
    };
    std::string why;
    EXPECT_TRUE(platform::RunWindow(form, why));
    EXPECT_EQ(box.Text() + std::to_string(tick.Value()) + std::to_string(list.ListIndex()), "a b11");
    EXPECT_EQ(clicks * 10 + closes, 11);
}
