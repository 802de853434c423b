// The test-only fakes answer and record as their contract says.
#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/scripted_ui.h"
#include "platform/ui.h"
#include "platform/wallpaper.h"

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
