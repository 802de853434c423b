#include "uninstaller/Form1.h"

#include "core/modules/RegistKey.h"
#include "core/pure/maker.h"
#include "core/pure/menu_entries.h"
#include "core/pure/monitor_record.h"
#include "platform/files.h"
#include "platform/menu.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "platform/wallpaper.h"
#include "platform/window.h"

namespace sarvo::uninstaller {

namespace {

const std::string kSep(1, platform::kPathSeparator);

constexpr const char* kGraphicName = "SarvoChangerGraphic.bmp";
// Version 1.0 wrote its bitmap under this name, without the h of "Changer".
constexpr const char* kVersion1GraphicName = "SarvoCangerGraphic.bmp";

// The help text, line by line; each line ends with CR LF.
constexpr const char* kHelpLines[] = {
    "Sarvo Backdrop Changerをコンピュータか",
    "ら完全に削除するアンインストーラです。",
    "・起動時に設定されている場合のレジストリ",
    "・WindowsフォルダにできるBMPファイル",
    "をボタンひとつで削除できます。",
    "また、Ver.1.0をご使用の方は、Ver.1.0を",
    "アンインストールされてからVer.2.0を",
    "ご使用いただくことをおすすめします。",
    "また、実行ファイルの削除は行いませんので",
    "アンインストール後、フォルダごと",
    "削除してちゃってください。",
};

std::string HelpText() {
    std::string text;
    for (const char* line : kHelpLines) text += std::string(line) + "\r\n";
    return text;
}

constexpr const char* kStoreRefused = "レジストリに書き込めません。";

}  // namespace

Form1::Form1(std::ostream& notes)
    : Label1("■Sarvo Changer Uninstaller"),
      Label6("アンインストールは下のボタンをクリック。"),
      Label2("■説明"),
      Label3("Sarvo Changer Uninstaller Version 3.0"),
      Label4(kMakerNotice),
      lblurl(kMakerAddress),
      notes_(notes) {
    Text2.SetText(HelpText());
    cmdSarvoUninst1.OnClick = [this] { cmdSarvoUninst1_Click(); };
    cmdSarvoUninst2.OnClick = [this] { cmdSarvoUninst2_Click(); };
    lblurl.OnClick = [this] { lblurl_Click(); };
    BuildForm();
}

void Form1::BuildForm() {
    form_.caption = "Sarvo Changer Uninstaller";
    form_.clientWidth = 4080;
    form_.clientHeight = 4815;
    form_.minimizeBox = false;
    form_.maximizeBox = false;
    form_.icon = Picture::UninstallerIcon;
    form_.onUnload = [this] { Form_Unload(); };

    const FontSpec titleFont{"ＭＳ Ｐゴシック", 9, true, true, true};
    using K = ControlKind;
    form_.Add("Label1", K::Label, {120, 120, 3915, 255}, 1, Label1).font = titleFont;
    form_.Add("Label6", K::Label, {120, 390, 3885, 285}, 7, Label6);
    form_.Add("cmdSarvoUninst2", K::Button, {120, 660, 3855, 375}, 0, cmdSarvoUninst2).caption =
        "Sarvo Changer Ver.2.0/3.0をアンインストール";
    form_.Add("cmdSarvoUninst1", K::Button, {120, 1110, 3855, 375}, 8, cmdSarvoUninst1).caption =
        "Sarvo Changer Ver.1.0をアンインストール";
    form_.Add("Label2", K::Label, {150, 1590, 1335, 255}, 3, Label2);
    form_.Add("Text2", K::HelpText, {120, 1800, 3855, 2115}, 2, Text2);
    {
        ControlSpec& c = form_.Add("Label3", K::Label, {120, 4020, 3795, 225}, 4, Label3);
        c.alignment = Alignment::Centre;
        c.font = titleFont;
    }
    form_.Add("Label4", K::Label, {120, 4320, 3765, 255}, 5, Label4).alignment = Alignment::Centre;
    {
        ControlSpec& c = form_.Add("lblurl", K::Label, {120, 4530, 3795, 255}, 6, lblurl);
        c.alignment = Alignment::Centre;
        c.colour = TextColour::Blue;
    }
}

// --- start-up and closing -------------------------------------------------

void Form1::Form_Load() {
    // Without a folder there is no bitmap path; the removals then say that
    // they could not look for the bitmap.
    if (GetWindowsPath()) gSarvoChangerGraphicPath = gWindowsPath + kSep + kGraphicName;
}

void Form1::Form_Unload() {}

int RunUninstaller(Form1& form, std::ostream& errors) {
    form.Form_Load();
    std::string why;
    if (!platform::RunWindow(form.Spec(), why)) {
        errors << "SarvoUninstaller: アンインストーラのウィンドウを表示できませんでした。\n" << why << "\n";
        return 1;
    }
    return 0;
}

// --- handlers -------------------------------------------------------------

// The log-on entry, and the bitmap version 1.0 kept in the Windows folder.
// The current bitmap and the wallpaper stay as they are.
void Form1::cmdSarvoUninst1_Click() {
    if (!Confirmed("Sarvo Changer Ver.1.0")) return;
    StartUpUnRegist();
    DeleteFromEveryFolder(kVersion1GraphicName);
    Report("Sarvo Changer Ver.1.0");
}

// The log-on entry, the bitmap wherever it lies with the copies made from it
// for the desktop, the wallpaper and the menu entries. The suite's own
// bitmap folder goes once it is empty; anything else in it stays. The
// placement stays as the user chose it.
void Form1::cmdSarvoUninst2_Click() {
    if (!Confirmed("Sarvo Changer Ver.2.0/3.0")) return;
    StartUpUnRegist();
    DeleteFromEveryFolder(kGraphicName);
    WallpaperNothing();
    RemoveOwnFolders();
    MenuUnRegist();
    Report("Sarvo Changer Ver.2.0/3.0");
}

void Form1::lblurl_Click() {
    std::string why;
    if (!platform::OpenWebAddress(kMakerAddress, why)) notes_ << "SarvoUninstaller: " << why << "\n";
}

// --- the steps ------------------------------------------------------------

bool Form1::StartUpUnRegist() {
    RegistOpenWrite(kRunKey);
    // A value that is not there counts as removed. The store names what
    // holds the entry: a registry value, or on Linux an autostart file.
    std::string why;
    const bool removed = RegistDeleteValue("SarvoChanger", why);
    RegistClose();
    if (!removed) Leave("起動時の登録（SarvoChanger）：" + why);
    return removed;
}

bool Form1::WallpaperNothing() {
    RegistOpenWrite(kDesktopKey);
    const bool stored = RegistWriteString("Wallpaper", "");
    RegistClose();
    std::string why;
    const bool cleared = platform::ApplyWallpaper("", why);
    if (!stored) Leave(std::string("壁紙の設定（Wallpaper）：") + kStoreRefused);
    if (!cleared) Leave("デスクトップの壁紙：" + why);
    return stored && cleared;
}

void Form1::MenuUnRegist() {
    // Only the entries' names count here, not the programs they start.
    std::vector<std::string> left;
    platform::RemoveFromMenu(SuiteMenuEntries("", ""), left);
    for (const std::string& line : left) Leave(line);
}

bool Form1::GetWindowsPath() {
    folders_ = platform::BitmapFolders();
    gWindowsPath = folders_.empty() ? std::string() : folders_.front().path;
    return !folders_.empty();
}

// --- helpers --------------------------------------------------------------

// Asks before a removal; true for Yes. `gRet` keeps the answer.
bool Form1::Confirmed(const std::string& version) {
    gRet = static_cast<std::int16_t>(platform::ShowMessage(
        kApplicationTitle, version + "をアンインストールします。\r\nよろしいですか？", platform::kYesNo));
    return gRet == platform::kAnswerYes;
}

void Form1::DeleteFromEveryFolder(const std::string& fileName) {
    if (folders_.empty()) Leave(fileName + "：置き場所のフォルダが見つかりません。");
    for (const platform::BitmapFolder& folder : folders_) {
        std::string why;
        if (!platform::DeleteFileIfPresent(folder.path + kSep + fileName, why)) Leave(why);
    }
}

// Once the wallpaper is off, the desktop's copies of the bitmap are of no
// use, nor are the temporary files of killed runs; a suite folder left empty
// goes with them.
void Form1::RemoveOwnFolders() {
    for (const platform::BitmapFolder& folder : folders_) {
        std::string why;
        std::vector<std::string> copies = platform::BitmapCopies(folder.path + kSep + kGraphicName);
        // The second name the changer gives the previous bitmap while the
        // desktop takes a new one; a run that was killed leaves it behind.
        copies.push_back(folder.path + kSep + kGraphicName + ".previous");
        // The changer's record of the picture on each monitor.
        copies.push_back(folder.path + kSep + kMonitorRecordName);
        for (const std::string& copy : copies)
            if (!platform::DeleteFileIfPresent(copy, why)) Leave(why);
        // What killed runs left half-written (a whole bitmap each, maybe).
        platform::RemoveTemporaryLeftovers(folder.path);
        if (folder.suiteOwn && !platform::RemoveFolderIfEmpty(folder.path, why)) Leave(why);
    }
}

// The system's reasons name the file or folder they are about.
void Form1::Leave(const std::string& line) { left_.push_back("・" + line); }

// The closing box: done, or done but for what is listed, with the error
// icon. The list starts empty for the next removal.
void Form1::Report(const std::string& version) {
    std::string text = version + "をアンインストールしました。";
    unsigned style = platform::kOkOnly;
    if (!left_.empty()) {
        text += "\r\nただし、次のものは削除できませんでした。";
        for (const std::string& line : left_) text += "\r\n" + line;
        style |= platform::kIconError;
        left_.clear();
    }
    platform::ShowMessage(kApplicationTitle, text, style);
}

}  // namespace sarvo::uninstaller
