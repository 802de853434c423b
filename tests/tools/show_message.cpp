// Shows one message box through the suite's UI service, for the integration
// tests:   show_message CAPTION TEXT STYLE
// TEXT may hold "\r\n" written as the two characters backslash-r
// backslash-n. Prints the answer (a number) on standard output.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ui.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: show_message CAPTION TEXT STYLE\n");
        return 2;
    }
    std::string text = argv[2];
    for (std::size_t at; (at = text.find("\\r\\n")) != std::string::npos;) text.replace(at, 4, "\r\n");
    const int answer = sarvo::platform::ShowMessage(argv[1], text,
                                                    static_cast<unsigned>(std::atoi(argv[3])));
    std::printf("%d\n", answer);
    return 0;
}
