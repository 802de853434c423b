// SarvoUninstaller: the window that removes the suite's traces.
#include <iostream>

#include "core/modules/GenericError.h"
#include "platform/program.h"
#include "uninstaller/Form1.h"

int main() {
    sarvo::platform::PrepareProcess();
    return sarvo::RunWithGenericErrorBox(sarvo::uninstaller::kApplicationTitle, [] {
        sarvo::uninstaller::Form1 form;
        return sarvo::uninstaller::RunUninstaller(form, std::cerr);
    });
}
