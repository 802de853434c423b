// The settings tool: the window onto the suite's settings (picture folder,
// placement, log-on start, wallpaper off), and three switches the changer
// starts it with: "/delskip" moves the current picture into TrashBox and
// changes to another, "/nowall" switches the wallpaper off, "/add<path>"
// moves a picture into the picture folder. A switch run never shows the
// window.
#pragma once

#include <ctime>
#include <functional>
#include <iostream>
#include <string>

#include "core/pure/controls.h"
#include "core/pure/form.h"

namespace sarvo::platform {
struct FileError;
}

namespace sarvo::settings_tool {

inline constexpr const char* kApplicationTitle = "SarvoSettingTool";
inline constexpr const char* kSection = "Sarvo Changer";

// How the start-up ended.
enum class LoadEnd {
    OpenWindow,  // no switch: the window is filled; run it (Spec())
    Done,        // a switch's action was carried out
    NotDone,     // a switch's action was not: a message said why, or the user cancelled
};

// The local date and time, for the name proposed to an added picture.
using Clock = std::function<std::tm()>;
std::tm LocalTime();

class Form1 {
public:
    // `programDirectory` holds the suite's programs, settings file and
    // TrashBox; `commandLine` is the run's argument text. Notes that no
    // window or message box carries go to `notes`.
    Form1(std::string programDirectory, std::string commandLine, Clock now = LocalTime,
          std::ostream& notes = std::cerr);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The start-up: forms the paths, fills the folder box, then carries out
    // a switch, or fills the rest of the window.
    LoadEnd Form_Load();
    // The window closes: the log-on choice is stored.
    void Form_Unload();

    // The window as data, with these controls as its models.
    FormSpec& Spec() { return form_; }

    // Handlers of the window's controls.
    void cboWallpaperStyle_Click();
    void chkWallpaperNothing_Click();
    void chkStartup_Click();
    void cmdFolderOpen_Click();
    void cmdDeleteSkip_Click();
    void imgTrashBox_DblClick();
    void lblurl_Click();
    void lblWallpaperSize_Click();
    void txtWallpaperFolder_Change();
    void txtWallpaperFolder_DblClick();

    // Moves the picture last applied by the changer into TrashBox and starts
    // the changer to put up another. False when the user was told why not.
    bool DeleteSkip();
    // Moves `AddFilePath` into the picture folder, asking for a new name when
    // its own is taken. False when the user was told why not, or cancelled.
    bool AddWallpaper(const std::string& AddFilePath);
    // Selects the placement list's item from the desktop's stored pair.
    void WallpaperStyleRead();
    bool WallpaperStyleWrite(const std::string& TileWallpaperValue, const std::string& WallpaperStyleValue);
    // The desktop's stored wallpaper path; empty for none.
    std::string GetRegWallpaperPath();
    // Puts the generated bitmap's size into lblWallpaperSize.
    void GetWallpaperSize();
    // Writes the log-on entry; false, with the store's reason in `why` where
    // it gave one, when it could not.
    bool StarUpRegist(std::string& why);
    bool StartUpUnRegist();
    // Puts the changer, with its held keys' choices, and this tool into the
    // desktop's application menu where the platform keeps one. A program
    // folder no entry can name is explained with a box; other failures are
    // noted.
    void MenuRegist();
    // Shows the bitmap `WallpaperPath` as the wallpaper; the empty path
    // removes it.
    bool SettingWallpaper(const std::string& WallpaperPath);
    // Finds the folder of the generated bitmap (WindowsPath). False when
    // there is none.
    bool GetWindowsPath();

    // The controls, in creation order.
    CheckBox chkWallpaperNothing;
    ComboBox cboWallpaperStyle;
    Button cmdDeleteSkip;
    CheckBox chkStartup;
    TextBox Text2;
    Button cmdFolderOpen;
    TextBox txtWallpaperFolder;
    Label lblWallpaperSize;
    Label Label7;
    Label Label6;
    Label lblscreensize;
    Image imgTrashBox;
    Label lblurl;
    Label Label4;
    Label Label3;
    Label Label2;
    Label Label1;

    // The form's state.
    std::string gIniFilePath;
    std::string gDefaultWallpeparFolder;
    std::string gExeFilePath;
    std::string gSarvoChangerGraphicPath;
    std::string WindowsPath;
    // False until the start-up has set the placement list: until then a
    // change of the list writes and applies nothing.
    bool WallpaperStyleWriteFlag = false;

private:
    void BuildForm();
    void ShowError(const std::string& text);
    void ShowMoveError(const platform::FileError& error);
    bool MoveIntoTrashBox(const std::string& picture);
    bool NoWallpaper();
    void RemoveBitmapCopies();

    std::string programDirectory_;
    std::string commandLine_;
    Clock now_;
    std::ostream& notes_;
    FormSpec form_;
};

// The whole program: the start-up, then the window when no switch was given.
// Returns the exit status: 0 when the action was carried out or the window
// was closed; 1 when it was not (a message said why, or the user cancelled),
// or when no window could be shown (said on `errors`).
int RunSettingTool(Form1& form, std::ostream& errors);

}  // namespace sarvo::settings_tool
