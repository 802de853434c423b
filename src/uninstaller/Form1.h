// The uninstaller: removes what the suite leaves outside its own folder -
// the log-on entry and the generated bitmap - for the current version (which
// also switches the wallpaper off) or for version 1.0, each after a Yes/No
// question. Programs, the settings file and pictures stay; the user deletes
// the program folder afterwards.
#pragma once

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "core/pure/controls.h"
#include "core/pure/form.h"
#include "platform/paths.h"

namespace sarvo::uninstaller {

inline constexpr const char* kApplicationTitle = "SarvoUninstaller";

class Form1 {
public:
    // Notes that no window or message box carries go to `notes`.
    explicit Form1(std::ostream& notes = std::cerr);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Finds the bitmap's folders and forms the bitmap's path.
    void Form_Load();
    // The window closes; the program ends with it.
    void Form_Unload();

    // The window as data, with these controls as its models.
    FormSpec& Spec() { return form_; }

    // Handlers of the window's controls. Each removal asks first; once the
    // user said Yes it runs every step, and the closing box says it is done,
    // or, with the error icon, what is left and why.
    void cmdSarvoUninst1_Click();  // version 1.0: log-on entry, its bitmap
    void cmdSarvoUninst2_Click();  // versions 2.0/3.0: log-on entry, bitmap, wallpaper, menu entries
    void lblurl_Click();

    // Removes the log-on entry. False when the store could not be changed.
    bool StartUpUnRegist();
    // Stores and shows no wallpaper. False when either did not happen.
    bool WallpaperNothing();
    // Takes the suite's entries and their icons out of the desktop's
    // application menu, where the platform keeps one.
    void MenuUnRegist();
    // Finds the folders where the bitmap may lie (gWindowsPath: the one the
    // suite uses now). False when there is none; nothing is created.
    bool GetWindowsPath();

    // The controls, top to bottom.
    Label Label1;
    Label Label6;
    Button cmdSarvoUninst2;
    Button cmdSarvoUninst1;
    Label Label2;
    TextBox Text2;
    Label Label3;
    Label Label4;
    Label lblurl;

    // The form's state.
    std::string gSarvoChangerGraphicPath;
    std::string gWindowsPath;
    std::int16_t gRet = 0;  // the last question's answer

private:
    void BuildForm();
    bool Confirmed(const std::string& version);
    void DeleteFromEveryFolder(const std::string& fileName);
    void RemoveOwnFolders();
    void Leave(const std::string& line);
    void Report(const std::string& version);

    std::ostream& notes_;
    FormSpec form_;
    std::vector<platform::BitmapFolder> folders_;
    // What the running removal could not remove, one line each.
    std::vector<std::string> left_;
};

// The whole program: the start-up, then the window until the user closes it.
// Returns the exit status: 0 once the window was closed, 1 when no window
// could be shown (said on `errors`).
int RunUninstaller(Form1& form, std::ostream& errors);

}  // namespace sarvo::uninstaller
