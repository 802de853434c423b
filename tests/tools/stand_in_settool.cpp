// Stands in for the settings tool (or the changer) in the integration tests:
// records each start and ends at once. Every start appends one record to the
// file named by SARVO_STANDIN_LOG:
//   args=<number of arguments>
//   arg=<argument>            one line per argument
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const char* log = std::getenv("SARVO_STANDIN_LOG");
    if (log == nullptr || *log == '\0') return 2;
    std::string record = "args=" + std::to_string(argc - 1) + "\n";
    for (int i = 1; i < argc; ++i) record += std::string("arg=") + argv[i] + "\n";
    // One small write in append mode: a test polling the log sees a whole
    // record or none.
    std::FILE* f = std::fopen(log, "ab");
    if (f == nullptr) return 2;
    std::fwrite(record.data(), 1, record.size(), f);
    return std::fclose(f) == 0 ? 0 : 2;
}
