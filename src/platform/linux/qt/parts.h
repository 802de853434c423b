// The parts of the Qt module, each in a file of its own; module.cpp puts
// them into the table the programs call (qt/module.h).
#pragma once

#include <QWidget>

#include <string>

#include "core/pure/form.h"
#include "platform/dialogs.h"

namespace sarvo::platform::linux_qt {

int ShowMessageBox(const std::string& caption, const std::string& text, unsigned style);

bool RunFormWindow(FormSpec& form, std::string& why);

// The program's window while RunFormWindow shows it, else null: the parent
// that makes boxes and dialogs modal over it.
QWidget* OpenWindow();

DialogResult BrowseFolderDialog(const std::string& title, const std::string& startFolder, std::string& chosen,
                                std::string& why);

DialogResult InputDialog(const std::string& caption, const std::string& prompt, const std::string& initial,
                         std::string& answer, std::string& why);

bool QtPrimaryScreenSize(int& width, int& height);

}  // namespace sarvo::platform::linux_qt
