// A window of every kind of control, for the Wine tests of the Win32 window
// and dialogs: the real window service shows it, and each handler writes
// one line (UTF-8) to the log file named on the command line, so a test
// driving the window from outside can see which handlers ran, how often and
// with what value.
//   window_demo.exe LOG-FILE
#include <cstdio>
#include <string>

#include "core/pure/form.h"
#include "platform/dialogs.h"
#include "platform/ui.h"
#include "platform/window.h"

using namespace sarvo;

namespace {

std::FILE* logFile = nullptr;

void Log(const std::string& line) {
    std::fputs((line + "\n").c_str(), logFile);
    std::fflush(logFile);
}

std::string Outcome(platform::DialogResult result, const std::string& answer, const std::string& why) {
    switch (result) {
        case platform::DialogResult::Ok: return "Ok " + answer;
        case platform::DialogResult::Cancel: return "Cancel";
        case platform::DialogResult::Error: return "Error " + why;
    }
    return "?";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || (logFile = std::fopen(argv[1], "ab")) == nullptr) return 2;

    Label heading("■見出し"), size, url("https://example.org/");
    TextBox folder, help;
    CheckBox on;
    ComboBox style({"中央に表示", "並べて表示", "拡大して表示"});
    Button picture, ask, browse, confirm;
    Image bin;
    help.SetText("一行目\r\n二行目\r\n");

    folder.OnChange = [&] { Log("folder change " + folder.Text()); };
    folder.OnDblClick = [&] { Log("folder dblclick"); };
    on.OnClick = [&] { Log("on click " + std::to_string(on.Value())); };
    style.OnClick = [&] { Log("style click " + std::to_string(style.ListIndex())); };
    picture.OnClick = [&] { Log("picture click"); };
    bin.OnDblClick = [&] { Log("bin dblclick"); };
    url.OnClick = [&] { Log("url click"); };
    // Code changes two controls: each handler runs once, as for the user.
    size.OnClick = [&] {
        Log("size click");
        folder.SetText("C:\\コード");
        style.SetListIndex(2);
        size.SetCaption("1024 x 768 ピクセル");
    };
    ask.OnClick = [&] {
        std::string answer, why;
        const auto result = platform::InputBox("名前の入力", "新しい名前を入力してください。", "初期値", answer, why);
        Log("ask " + Outcome(result, answer, why));
    };
    browse.OnClick = [&] {
        std::string chosen, why;
        const auto result = platform::BrowseForFolder("フォルダを選択してください。", folder.Text(), chosen, why);
        Log("browse " + Outcome(result, chosen, why));
    };
    confirm.OnClick = [&] {
        Log("confirm " + std::to_string(platform::ShowMessage("窓のテスト", "続けますか", platform::kYesNo)));
    };

    FormSpec form;
    form.caption = "窓のテスト";
    form.clientWidth = 4155;
    form.clientHeight = 4200;
    form.icon = Picture::SettingToolIcon;
    form.onUnload = [&] { Log("unload"); };
    auto add = [&](const char* name, ControlKind kind, TwipRect place, int tabIndex, Control* model) -> ControlSpec& {
        ControlSpec c;
        c.name = name;
        c.kind = kind;
        c.place = place;
        c.tabIndex = tabIndex;
        c.model = model;
        form.controls.push_back(c);
        return form.controls.back();
    };
    // Creation order differs from the focus order on purpose.
    add("heading", ControlKind::Label, {120, 120, 3000, 255}, 9, &heading).colour = TextColour::Highlight;
    add("folder", ControlKind::TextBox, {120, 405, 3405, 270}, 2, &folder).toolTip = "フォルダです";
    ControlSpec& pictureSpec = add("picture", ControlKind::Button, {3660, 405, 375, 255}, 3, &picture);
    pictureSpec.toolTip = "フォルダを開く";
    pictureSpec.picture = Picture::Folder;
    add("on", ControlKind::CheckBox, {150, 810, 2265, 285}, 0, &on).caption = "有効にする。";
    add("style", ControlKind::DropDownList, {2460, 810, 1545, 300}, 1, &style);
    add("ask", ControlKind::Button, {120, 1260, 1200, 345}, 4, &ask).caption = "入力";
    add("browse", ControlKind::Button, {1380, 1260, 1200, 345}, 5, &browse).caption = "参照";
    add("confirm", ControlKind::Button, {2640, 1260, 900, 345}, 6, &confirm).caption = "確認";
    ControlSpec& binSpec = add("bin", ControlKind::Image, {3570, 1200, 480, 480}, -1, &bin);
    binSpec.toolTip = "ごみ箱";
    binSpec.picture = Picture::TrashBox;
    add("size", ControlKind::Label, {120, 1800, 3915, 225}, 10, &size).alignment = Alignment::Centre;
    add("help", ControlKind::HelpText, {120, 2100, 3915, 1200}, 7, &help);
    ControlSpec& urlSpec = add("url", ControlKind::Label, {60, 3450, 4005, 255}, 8, &url);
    urlSpec.colour = TextColour::Blue;
    urlSpec.alignment = Alignment::Centre;
    urlSpec.font = FontSpec{"ＭＳ Ｐゴシック", 9, true, true, true};

    std::string why;
    if (!platform::RunWindow(form, why)) {
        Log("no window: " + why);
        return 1;
    }
    Log("closed");
    return std::fclose(logFile) == 0 ? 0 : 2;
}
