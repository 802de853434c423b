// Stands in for the settings tool in the changer's integration tests: records
// each start and ends at once. Every start appends one record to the file
// named by SARVO_STANDIN_LOG, or to "SarvoSetTool.log" beside this program:
//   args=<number of arguments>
//   arg=<argument>            one line per argument
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    std::string log;
    if (const char* named = std::getenv("SARVO_STANDIN_LOG"); named != nullptr && *named != '\0') {
        log = named;
    } else {
        char self[PATH_MAX] = {};
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n <= 0) return 2;
        log = std::string(self, static_cast<std::size_t>(n));
        log = log.substr(0, log.rfind('/') + 1) + "SarvoSetTool.log";
    }
    std::string record = "args=" + std::to_string(argc - 1) + "\n";
    for (int i = 1; i < argc; ++i) record += std::string("arg=") + argv[i] + "\n";
    // One small write in append mode: a test polling the log sees a whole
    // record or none.
    std::FILE* f = std::fopen(log.c_str(), "ab");
    if (f == nullptr) return 2;
    std::fwrite(record.data(), 1, record.size(), f);
    return std::fclose(f) == 0 ? 0 : 2;
}
