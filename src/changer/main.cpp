// SarvoChanger: changes the desktop wallpaper once and ends.
#include "changer/Form1.h"
#include "core/modules/GenericError.h"
#include "platform/program.h"

int main(int argc, char** argv) {
    sarvo::platform::PrepareProcess();
    return sarvo::RunWithGenericErrorBox(sarvo::changer::kApplicationTitle, [&] {
        sarvo::changer::Form1 form(sarvo::platform::ProgramDirectory(), sarvo::platform::ArgumentText(argc, argv));
        const auto end = form.Form_Load();
        return end == sarvo::changer::RunEnd::StoppedWithMessage ? 1 : 0;
    });
}
