// Numbers of the resources in the programs' .rc files, shared by the .rc
// files and the Win32 window and dialogs. Plain #defines: the resource
// compiler reads this file too.
#pragma once

// Icons (sarvo::Picture). Explorer shows a program's icon of the lowest
// number, so each program's own icon comes first.
#define SARVO_ICON_SETTING_TOOL 1
#define SARVO_ICON_UNINSTALLER 2
#define SARVO_ICON_FOLDER 10
#define SARVO_ICON_TRASH_BOX 11

// The input box.
#define SARVO_DIALOG_INPUT_BOX 100
#define SARVO_INPUT_PROMPT 1001
#define SARVO_INPUT_ANSWER 1002
