#include "settings_tool/Form1.h"

#include <utility>

#include "core/modules/FolderSelectMod.h"
#include "core/modules/GenericError.h"
#include "core/modules/GetFolderPath.h"
#include "core/modules/GetImageSize.h"
#include "core/modules/RegistKey.h"
#include "core/modules/iniRead.h"
#include "core/modules/iniWrite.h"
#include "core/pure/maker.h"
#include "core/pure/menu_entries.h"
#include "core/pure/placement.h"
#include "core/pure/setting_texts.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/menu.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/program.h"
#include "platform/screen.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "platform/wallpaper.h"
#include "platform/window.h"

namespace sarvo::settings_tool {

namespace {

const std::string kSep(1, platform::kPathSeparator);
constexpr const char* kGraphicName = "SarvoChangerGraphic.bmp";

// The help text, line by line; each line ends with CR LF.
constexpr const char* kHelpLines[] = {
    "Sarvo Backdrop Changerは、フォルダの",
    "中からランダムに画像を選択して、壁紙に設定するソフトです。",
    "",
    "①まず、お気に入りの壁紙をどこかひとつのフ",
    "ォルダに格納してください。",
    "②次に、上のフォルダ選択より壁紙があるフォ",
    "ルダを指定してください。サブフォルダも検出し",
    "ます。",
    "③あとは、SarvoChangerを起動する度に壁紙",
    "がランダムで変更されます。",
    "また、Windows起動時に起動するボタンを押す",
    "ことによりWindows起動時に自動的に壁紙が変",
    "更されます。起動しないにすれば解除できます",
    "。",
    "※SarvoChangerは壁紙変更後、自動終了しま",
    "す。",
    "",
    "■デリートスキップとは",
    "現在、設定中の壁紙をフォルダから削除して、",
    "次の壁紙にチェンジする機能です。",
    "削除された壁紙はTrashBoxに入るのでいつでも",
    "また取り出して使うことができます。",
};

std::string HelpText() {
    std::string text;
    for (const char* line : kHelpLines) text += std::string(line) + "\r\n";
    return text;
}

// More copies of one name than this in TrashBox means something else is
// wrong; the delete-skip then stops rather than search on.
constexpr int kMaxTrashBoxCopies = 10000;

}  // namespace

std::tm LocalTime() {
    const std::time_t now = std::time(nullptr);
    // The program has one thread, so the shared result of localtime is safe.
    const std::tm* local = std::localtime(&now);
    return local != nullptr ? *local : std::tm{};
}

Form1::Form1(std::string programDirectory, std::string commandLine, Clock now, std::ostream& notes)
    : cboWallpaperStyle({"中央に表示", "並べて表示", "拡大して表示"}),
      Label7("壁紙のサイズ"),
      Label6("画面の解像度"),
      lblurl(kMakerAddress),
      Label4(kMakerNotice),
      Label3("Sarvo Backdrop Changer Version 3.0"),
      Label2("■説明"),
      Label1("■壁紙格納フォルダ選択"),
      programDirectory_(std::move(programDirectory)),
      commandLine_(std::move(commandLine)),
      now_(std::move(now)),
      notes_(notes) {
    Text2.SetText(HelpText());
    chkWallpaperNothing.OnClick = [this] { chkWallpaperNothing_Click(); };
    cboWallpaperStyle.OnClick = [this] { cboWallpaperStyle_Click(); };
    cmdDeleteSkip.OnClick = [this] { cmdDeleteSkip_Click(); };
    chkStartup.OnClick = [this] { chkStartup_Click(); };
    cmdFolderOpen.OnClick = [this] { cmdFolderOpen_Click(); };
    txtWallpaperFolder.OnChange = [this] { txtWallpaperFolder_Change(); };
    txtWallpaperFolder.OnDblClick = [this] { txtWallpaperFolder_DblClick(); };
    lblWallpaperSize.OnClick = [this] { lblWallpaperSize_Click(); };
    imgTrashBox.OnDblClick = [this] { imgTrashBox_DblClick(); };
    lblurl.OnClick = [this] { lblurl_Click(); };
    BuildForm();
}

void Form1::BuildForm() {
    form_.caption = "Sarvo Changer SettingTool";
    form_.clientWidth = 4155;
    form_.clientHeight = 5700;
    form_.minimizeBox = false;
    form_.maximizeBox = false;
    form_.icon = Picture::SettingToolIcon;
    form_.onUnload = [this] { Form_Unload(); };

    const FontSpec titleFont{"ＭＳ Ｐゴシック", 9, true, true, true};
    using K = ControlKind;
    form_.Add("chkWallpaperNothing", K::CheckBox, {150, 1170, 2265, 285}, 11, chkWallpaperNothing).caption =
        "壁紙を無効にする。";
    form_.Add("cboWallpaperStyle", K::DropDownList, {2460, 1140, 1545, 300}, 10, cboWallpaperStyle);
    {
        ControlSpec& c = form_.Add("cmdDeleteSkip", K::Button, {120, 2310, 3405, 345}, 9, cmdDeleteSkip);
        c.caption = "デリートスキップ";
        c.toolTip = "現在、表示中の壁紙を削除して次の壁紙にチェンジします";
    }
    form_.Add("chkStartup", K::CheckBox, {150, 720, 3825, 345}, 8, chkStartup).caption =
        "Windows起動時に壁紙をチェンジする。";
    form_.Add("Text2", K::HelpText, {120, 3000, 3945, 1905}, 3, Text2);
    {
        ControlSpec& c = form_.Add("cmdFolderOpen", K::Button, {3660, 360, 375, 255}, 1, cmdFolderOpen);
        c.toolTip = "フォルダを開く";
        c.picture = Picture::Folder;
    }
    form_.Add("txtWallpaperFolder", K::TextBox, {120, 360, 3405, 270}, 0, txtWallpaperFolder).toolTip =
        "現在設定されているフォルダです。ダブルクリックするとフォルダ内容を表示します。";
    form_.Add("lblWallpaperSize", K::Label, {1590, 1920, 2415, 225}, 15, lblWallpaperSize).alignment = Alignment::Centre;
    form_.Add("Label7", K::Label, {150, 1920, 1395, 225}, 14, Label7).colour = TextColour::Highlight;
    form_.Add("Label6", K::Label, {150, 1590, 1395, 225}, 13, Label6).colour = TextColour::Highlight;
    form_.Add("lblscreensize", K::Label, {1590, 1590, 2415, 225}, 12, lblscreensize).alignment = Alignment::Centre;
    {
        ControlSpec& c = form_.Add("imgTrashBox", K::Image, {3570, 2220, 480, 480}, -1, imgTrashBox);
        c.toolTip = "ダブルクリックするとTrashBoxの中を表示します";
        c.picture = Picture::TrashBox;
    }
    {
        ControlSpec& c = form_.Add("lblurl", K::Label, {60, 5460, 4005, 255}, 7, lblurl);
        c.alignment = Alignment::Centre;
        c.colour = TextColour::Blue;
    }
    form_.Add("Label4", K::Label, {60, 5250, 4005, 255}, 6, Label4).alignment = Alignment::Centre;
    {
        ControlSpec& c = form_.Add("Label3", K::Label, {120, 4980, 3945, 225}, 5, Label3);
        c.alignment = Alignment::Centre;
        c.font = titleFont;
    }
    form_.Add("Label2", K::Label, {120, 2760, 1335, 225}, 4, Label2);
    form_.Add("Label1", K::Label, {120, 120, 3915, 255}, 2, Label1);
}

// --- start-up and closing -------------------------------------------------

LoadEnd Form1::Form_Load() {
    gIniFilePath = programDirectory_ + kSep + "sarvoset.ini";
    gDefaultWallpeparFolder = programDirectory_ + kSep + "WallPaper";
    gExeFilePath = programDirectory_ + kSep + platform::ExecutableName("SarvoChanger");
    // Filling the box stores the folder again through its change handler,
    // so after any start the settings file names the picture folder.
    txtWallpaperFolder.SetText(IniReadString(gIniFilePath, kSection, "FolderPath", gDefaultWallpeparFolder));

    if (commandLine_ == "/delskip") return DeleteSkip() ? LoadEnd::Done : LoadEnd::NotDone;
    if (commandLine_ == "/nowall") return NoWallpaper() ? LoadEnd::Done : LoadEnd::NotDone;
    if (commandLine_.compare(0, 4, "/add") == 0)
        return AddWallpaper(commandLine_.substr(4)) ? LoadEnd::Done : LoadEnd::NotDone;

    if (GetWindowsPath()) {
        gSarvoChangerGraphicPath = WindowsPath + kSep + kGraphicName;
    } else {
        ShowError("壁紙の画像ファイルを置くフォルダが見つかりません。");
    }
    MenuRegist();
    // A stored 1 ticks the box, whose handler renews the log-on entry.
    chkStartup.SetValue(IniReadInt(gIniFilePath, kSection, "StartUp", 0));
    WallpaperStyleRead();
    int width = 0, height = 0;
    platform::PrimaryScreenSize(width, height);
    lblscreensize.SetCaption(ScreenSizeCaption(width, height));
    GetWallpaperSize();
    WallpaperStyleWriteFlag = true;
    return LoadEnd::OpenWindow;
}

void Form1::Form_Unload() {
    IniWriteString(gIniFilePath, kSection, "StartUp", std::to_string(chkStartup.Value()));
}

// The switch "/nowall": the stored wallpaper becomes empty and the desktop
// shows none. Carried out once the store holds the empty path; a desktop
// that would not clear is noted.
bool Form1::NoWallpaper() {
    RegistOpenWrite(kDesktopKey);
    const bool stored = RegistWriteString("Wallpaper", "");
    SettingWallpaper("");
    RegistClose();
    if (!stored) notes_ << "SarvoSetTool: レジストリの「Wallpaper」を空にできませんでした。\n";
    return stored;
}

int RunSettingTool(Form1& form, std::ostream& errors) {
    switch (form.Form_Load()) {
        case LoadEnd::Done: return 0;
        case LoadEnd::NotDone: return 1;
        case LoadEnd::OpenWindow: break;
    }
    std::string why;
    if (!platform::RunWindow(form.Spec(), why)) {
        errors << "SarvoSetTool: 設定のウィンドウを表示できませんでした。\n" << why << "\n";
        return 1;
    }
    return 0;
}

// --- handlers -------------------------------------------------------------

void Form1::cboWallpaperStyle_Click() {
    if (!WallpaperStyleWriteFlag) return;
    if (const auto pair = PlacementListValues(cboWallpaperStyle.ListIndex()))
        WallpaperStyleWrite(pair->first, pair->second);
    const std::string path = GetRegWallpaperPath();
    if (!path.empty()) {
        // The same picture again, so that the new placement shows at once.
        SettingWallpaper(path);
    } else if (platform::StoredWallpaperIsTheDesktops()) {
        // No wallpaper at all, which the box then says.
        chkWallpaperNothing.SetValue(1);
    }
    // Where the store records only the suite's wallpaper, none there leaves
    // the desktop as it is (the user's own wallpaper, maybe); the placement
    // applies from the next picture on.
}

void Form1::chkWallpaperNothing_Click() {
    const std::string path = chkWallpaperNothing.Value() == 1 ? std::string() : gSarvoChangerGraphicPath;
    RegistOpenWrite(kDesktopKey);
    RegistWriteString("Wallpaper", path);
    SettingWallpaper(path);
    RegistClose();
}

void Form1::chkStartup_Click() {
    if (chkStartup.Value() != 1) {
        StartUpUnRegist();
        return;
    }
    std::string why;
    if (StarUpRegist(why)) return;
    ShowError("Windows起動時の登録ができませんでした。\r\n" + (why.empty() ? std::string("レジストリに書き込めません。") : why));
    // The box shows what the log-on list holds: cleared, which also removes
    // an older entry, and "StartUp" follows at once.
    chkStartup.SetValue(0);
    IniWriteString(gIniFilePath, kSection, "StartUp", "0");
}

void Form1::cmdFolderOpen_Click() {
    std::string chosen, why;
    switch (BrowseFolder(txtWallpaperFolder.Text(), chosen, why)) {
        case platform::DialogResult::Ok: txtWallpaperFolder.SetText(chosen); break;
        case platform::DialogResult::Cancel: break;  // the folder stays as it was
        case platform::DialogResult::Error: ShowError(why); break;
    }
}

void Form1::cmdDeleteSkip_Click() {
    if (platform::ShowMessage(kApplicationTitle, "デリートスキップを実行します", platform::kYesNo) ==
        platform::kAnswerYes)
        DeleteSkip();
}

void Form1::imgTrashBox_DblClick() {
    std::string why;
    if (!platform::OpenFolderWindow(programDirectory_ + kSep + "TrashBox", why))
        notes_ << "SarvoSetTool: " << why << "\n";
}

void Form1::lblurl_Click() {
    std::string why;
    if (!platform::OpenWebAddress(kMakerAddress, why)) notes_ << "SarvoSetTool: " << why << "\n";
}

void Form1::lblWallpaperSize_Click() { GetWallpaperSize(); }

void Form1::txtWallpaperFolder_Change() {
    IniWriteString(gIniFilePath, kSection, "FolderPath", txtWallpaperFolder.Text());
}

void Form1::txtWallpaperFolder_DblClick() {
    const std::string& folder = txtWallpaperFolder.Text();
    if (platform::ProbeFolder(folder) != platform::FolderState::Exists) {
        ShowError("現在設定されているフォルダは存在しません");
        return;
    }
    std::string why;
    if (!platform::OpenFolderWindow(folder, why)) notes_ << "SarvoSetTool: " << why << "\n";
}

// --- delete-skip and add --------------------------------------------------

bool Form1::DeleteSkip() {
    const std::string picture = IniReadString(gIniFilePath, kSection, "WallPaper", "");
    // The changer records full paths; a bare name would depend on the
    // folder the program happens to run in, and counts as gone.
    if (GetFileBaseName(picture).empty() || !platform::OrdinaryFileExists(picture)) {
        ShowError("設定している壁紙は既に削除されています。");
        return false;
    }
    if (!MoveIntoTrashBox(picture)) return false;
    std::string why;
    if (!platform::StartProgram(gExeFilePath, "/nokey", platform::WindowStyle::Minimized, why)) {
        ShowError("SarvoChangerを起動できませんでした。\r\n" + gExeFilePath + "\r\n" + why);
        return false;
    }
    return true;
}

// Pictures from different folders often share a name: a name already in
// TrashBox takes the first free "NAME (2).EXT", "NAME (3).EXT", ... The move
// itself refuses a taken name, so nothing there is ever overwritten, also
// when another copy of the program fills the name at the same moment.
bool Form1::MoveIntoTrashBox(const std::string& picture) {
    const std::string folder = programDirectory_ + kSep + "TrashBox" + kSep;
    const std::string name = GetFileBaseName(picture);
    platform::FileError error;
    for (int copy = 1; copy <= kMaxTrashBoxCopies; ++copy) {
        const std::string target = folder + (copy == 1 ? name : NumberedName(name, copy));
        switch (platform::MoveFileNoReplace(picture, target, error)) {
            case platform::MoveResult::Moved: return true;
            case platform::MoveResult::TargetExists: continue;
            case platform::MoveResult::Failed: ShowMoveError(error); return false;
        }
    }
    ShowError("同じ名前のファイルは既に存在します\r\n" + folder + name);
    return false;
}

bool Form1::AddWallpaper(const std::string& AddFilePath) {
    // A name with a line break could never be recorded as the wallpaper: the
    // picture would lie in the folder and never be shown.
    if (GetFileBaseName(AddFilePath).find_first_of("\r\n") != std::string::npos) {
        ShowError("改行を含む名前の画像は壁紙にできません。\r\n" + AddFilePath);
        return false;
    }
    const std::string folder = txtWallpaperFolder.Text() + kSep;
    std::string target = folder + GetFileBaseName(AddFilePath);
    std::string why;
    if (platform::OrdinaryFileExists(target)) {
        const std::string ext = GetFileExtension(AddFilePath);
        std::string answer;
        const auto result = platform::InputBox("同じ名前のファイルは既に存在します",
                                               "新しいファイル名を入力してください。拡張子は不要です",
                                               ProposedWallpaperName(now_()), answer, why);
        if (result == platform::DialogResult::Error) {
            ShowError(why);
            return false;
        }
        if (result == platform::DialogResult::Cancel || answer.empty()) return false;
        target = folder + answer + "." + ext;
    }
    platform::FileError error;
    switch (platform::MoveFileNoReplace(AddFilePath, target, error)) {
        case platform::MoveResult::Moved: return true;
        case platform::MoveResult::TargetExists: ShowError("同じ名前のファイルは既に存在します\r\n" + target); break;
        case platform::MoveResult::Failed: ShowMoveError(error); break;
    }
    return false;
}

// --- placement, wallpaper and log-on entry --------------------------------

void Form1::WallpaperStyleRead() {
    std::string tile, style;
    RegistOpenRead(kDesktopKey);
    RegistReadString("TileWallpaper", tile);
    RegistReadString("WallpaperStyle", style);
    RegistClose();
    if (const auto index = PlacementListIndex(tile, style)) cboWallpaperStyle.SetListIndex(*index);
}

bool Form1::WallpaperStyleWrite(const std::string& TileWallpaperValue, const std::string& WallpaperStyleValue) {
    RegistOpenWrite(kDesktopKey);
    const bool tile = RegistWriteString("TileWallpaper", TileWallpaperValue);
    const bool style = RegistWriteString("WallpaperStyle", WallpaperStyleValue);
    RegistClose();
    return tile && style;
}

std::string Form1::GetRegWallpaperPath() {
    std::string path;
    RegistOpenRead(kDesktopKey);
    RegistReadString("Wallpaper", path);
    RegistClose();
    return path;
}

void Form1::GetWallpaperSize() {
    const ImageSize size = ReadImageSize(gSarvoChangerGraphicPath);
    lblWallpaperSize.SetCaption(WallpaperSizeCaption(size.Width, size.Height));
}

bool Form1::StarUpRegist(std::string& why) {
    RegistCreate(kRunKey);
    const bool written = RegistWriteString("SarvoChanger", StartUpEntry(gExeFilePath, platform::kPathSeparator), why);
    RegistClose();
    return written;
}

bool Form1::StartUpUnRegist() {
    RegistOpenWrite(kRunKey);
    const bool removed = RegistDeleteValue("SarvoChanger");
    RegistClose();
    return removed;
}

void Form1::MenuRegist() {
    const std::string settingTool = programDirectory_ + kSep + platform::ExecutableName("SarvoSetTool");
    std::string why;
    switch (platform::PutIntoMenu(SuiteMenuEntries(gExeFilePath, settingTool), why)) {
        case platform::MenuResult::Unchanged:
        case platform::MenuResult::Written: break;
        case platform::MenuResult::Unfit:
            ShowError("アプリケーションメニューに登録できませんでした。\r\n"
                      "プログラムのあるフォルダの名前に、メニューに書けない文字（UTF-8でない文字や制御文字）が含まれています。\r\n"
                      "そのような文字のない名前のフォルダに移してください。");
            break;
        case platform::MenuResult::Failed: notes_ << "SarvoSetTool: アプリケーションメニューに登録できませんでした。\n" << why << "\n"; break;
    }
}

bool Form1::SettingWallpaper(const std::string& WallpaperPath) {
    std::string why;
    // A changer run that meets this one must not hand the desktop a copy
    // between the removal of the wallpaper and of its copies.
    platform::WallpaperChange change;
    if (!change.Begin(why) || !platform::ApplyWallpaper(WallpaperPath, why)) {
        notes_ << "SarvoSetTool: " << why << "\n";
        return false;
    }
    if (WallpaperPath.empty()) RemoveBitmapCopies();
    return true;
}

// The files the desktop was handed in place of the bitmap are of no use once
// the wallpaper is off. They are found by the bitmap's path: the store holds
// the empty path by then.
void Form1::RemoveBitmapCopies() {
    for (const platform::BitmapFolder& folder : platform::BitmapFolders())
        for (const std::string& copy : platform::BitmapCopies(folder.path + kSep + kGraphicName)) {
            std::string why;
            if (!platform::DeleteFileIfPresent(copy, why)) notes_ << "SarvoSetTool: " << why << "\n";
        }
}

bool Form1::GetWindowsPath() {
    WindowsPath = platform::WindowsFolder();
    return !WindowsPath.empty();
}

void Form1::ShowError(const std::string& text) {
    platform::ShowMessage(kApplicationTitle, text, platform::kIconError);
}

// A move the system refused: its number and description, and the path it
// refused (the picture, or the folder it was to go into).
void Form1::ShowMoveError(const platform::FileError& error) {
    ShowError(SystemErrorText(error.number, error.description, error.path));
}

}  // namespace sarvo::settings_tool
