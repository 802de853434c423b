// SarvoSetTool: the settings window, or one action for the changer.
#include <iostream>

#include "core/modules/GenericError.h"
#include "platform/program.h"
#include "settings_tool/Form1.h"

int main(int argc, char** argv) {
    sarvo::platform::PrepareProcess();
    return sarvo::RunWithGenericErrorBox(sarvo::settings_tool::kApplicationTitle, [&] {
        sarvo::settings_tool::Form1 form(sarvo::platform::ProgramDirectory(),
                                         sarvo::platform::ArgumentText(argc, argv));
        return sarvo::settings_tool::RunSettingTool(form, std::cerr);
    });
}
