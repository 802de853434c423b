// Stands in for the settings tool (or the changer) in the integration tests:
// each start appends, in one write, a record "args=COUNT" and a line
// "arg=ARGUMENT" for each argument to the file SARVO_STANDIN_LOG names.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* log = std::getenv("SARVO_STANDIN_LOG");
    std::string record = "args=" + std::to_string(argc - 1) + "\n";
    for (int i = 1; i < argc; ++i) record += std::string("arg=") + argv[i] + "\n";
    std::FILE* f = log != nullptr && *log != '\0' ? std::fopen(log, "ab") : nullptr;
    if (f == nullptr) return 2;
    std::fwrite(record.data(), 1, record.size(), f);
    return std::fclose(f) == 0 ? 0 : 2;
}
