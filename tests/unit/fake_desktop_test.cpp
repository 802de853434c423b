// The test-only fakes answer and record as their contract says.
#include <gtest/gtest.h>

#include "platform/dialogs.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/scripted_ui.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "platform/wallpaper.h"
#include "platform/window.h"

using namespace sarvo;

TEST(FakeDesktop, RecordsWhatIsAskedAndFailsOnRequest) {
    fake::ResetDesktop();
    fake::Desktop& d = fake::TheDesktop();
    d.dDown = true;
    std::string why;
    int width = 0, height = 0;
    EXPECT_FALSE(platform::IsKeyDown(platform::Key::Space));
    EXPECT_TRUE(platform::IsKeyDown(platform::Key::D));
    EXPECT_TRUE(platform::StartProgram("/p/x", "/nowall", platform::WindowStyle::Minimized, why));
    EXPECT_TRUE(platform::ApplyWallpaper("/b.bmp", why) && platform::OpenFolderWindow("/f", why) &&
                platform::OpenWebAddress("https://a/", why) && platform::PrimaryScreenSize(width, height));
    EXPECT_EQ(width * 10000 + height, 1024 * 10000 + 768);
    d.applySucceeds = d.startSucceeds = d.openSucceeds = d.screenKnown = false;
    EXPECT_FALSE(platform::ApplyWallpaper("/c.bmp", why));
    EXPECT_EQ(why, d.applyFailure);
    EXPECT_FALSE(platform::StartProgram("/p/y", "", platform::WindowStyle::Normal, why) ||
                 platform::OpenFolderWindow("/g", why) || platform::PrimaryScreenSize(width, height));
    EXPECT_EQ(width + height, 0);
    EXPECT_EQ(d.keysProbed, (std::vector<platform::Key>{platform::Key::Space, platform::Key::D}));
    ASSERT_EQ(d.started.size(), 1u);
    EXPECT_EQ(d.started[0].arguments + d.applied.at(0) + d.openedFolders.at(0) + d.openedAddresses.at(0), "/nowall/b.bmp/fhttps://a/");
    EXPECT_EQ(d.applied.size() + d.openedFolders.size() + d.openedAddresses.size(), 3u);
}

TEST(ScriptedUi, BoxesAndDialogsAnswerFromTheScriptThenCancel) {
    fake::ResetScriptedUi();
    fake::ScriptedUi().answers = {platform::kAnswerYes};
    fake::ScriptedUi().dialogAnswers = {{platform::DialogResult::Ok, "/chosen"},
                                        {platform::DialogResult::Error, "broken"}};
    EXPECT_EQ(platform::ShowMessage("C", "a\r\nb", platform::kYesNo), platform::kAnswerYes);
    EXPECT_EQ(platform::ShowMessage("C", "again", platform::kYesNo), platform::kAnswerNo);
    EXPECT_EQ(platform::ShowMessage("C", "done", platform::kIconError), platform::kAnswerOk);
    std::string text, why;
    EXPECT_EQ(platform::BrowseForFolder("T", "/start", text, why), platform::DialogResult::Ok);
    EXPECT_EQ(platform::InputBox("C", "P", "init", text, why), platform::DialogResult::Error);
    EXPECT_EQ(platform::InputBox("C", "P", "init", text, why), platform::DialogResult::Cancel);
    EXPECT_EQ(text + why, "/chosenbroken");
    const auto& ui = fake::ScriptedUi();
    ASSERT_EQ(ui.shown.size() * 10 + ui.dialogs.size(), 33u);
    EXPECT_EQ(ui.shown[0].text + ui.dialogs[0].initial, "a\r\nb/start");
    EXPECT_EQ(ui.shown[2].style, platform::kIconError);
}

TEST(ScriptedUi, WindowActsOnTheModelsByNameThenCloses) {
    fake::ResetScriptedUi();
    TextBox box;
    CheckBox tick;
    ComboBox list({"a", "b"});
    Button button;
    FormSpec form;
    int clicks = 0, closes = 0;
    button.OnClick = [&] { ++clicks; }, form.onUnload = [&] { ++closes; };
    form.Add("txt", ControlKind::TextBox, {}, 0, box);
    form.Add("chk", ControlKind::CheckBox, {}, 1, tick);
    form.Add("cbo", ControlKind::DropDownList, {}, 2, list);
    form.Add("cmd", ControlKind::Button, {}, 3, button);
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
