// sarvo-bench-monitors-draw FOLDER RUNS
//
// The changer's draw of a picture per monitor, RUNS times in a row on the
// pictures in FOLDER (its files, not its sub-folders), for two monitors,
// 1920x1080 and 1080x1920, each run avoiding the pictures the run before it
// showed, as the changer's record makes it. The headers are read from the
// files, as the changer reads them. Prints the share of picks whose shape
// is their monitor's, the runs that showed one picture on both monitors,
// the runs that showed a monitor its last picture, and the header reads a
// run made, on average and at most.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/pure/monitor_draw.h"
#include "platform/files.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sarvo-bench-monitors-draw FOLDER RUNS\n");
        return 2;
    }
    using namespace sarvo;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
        if (entry.is_regular_file()) files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    const int runs = std::atoi(argv[2]);
    int reads = 0, mostReads = 0, matched = 0, picks = 0, twice = 0, again = 0;
    const auto sizeOfFile = [](const std::string& path) {
        const auto read = [&](std::uint64_t offset, unsigned char* out, std::size_t count) {
            const std::vector<unsigned char> part = platform::ReadFilePart(path, offset, count);
            std::copy(part.begin(), part.end(), out);
            return part.size();
        };
        return ReadPictureSize(read, PictureFormats::Classic);
    };
    const auto sizeOf = [&](const std::string& path) {
        ++reads;
        return sizeOfFile(path);
    };
    std::mt19937_64 generator(std::random_device{}());
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<MonitorDraw> monitors = {{1920, 1080, ""}, {1080, 1920, ""}};
    for (int run = 0; run < runs; ++run) {
        const int before = reads;
        const std::vector<std::size_t> drawn =
            DrawForMonitors(files, monitors, '/', sizeOf, [&] { return uniform(generator); });
        mostReads = std::max(mostReads, reads - before);
        twice += drawn[0] == drawn[1];
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            const auto size = sizeOfFile(files[drawn[i]]);
            ++picks;
            matched += size && ShapeOf(size->width, size->height) == ShapeOf(monitors[i].width, monitors[i].height);
            again += files[drawn[i]] == monitors[i].lastPicture;
            monitors[i].lastPicture = files[drawn[i]];
        }
    }
    std::printf("%d runs, %zu pictures: %.2f%% of %d picks of the monitor's shape; one picture on both monitors in %d "
                "runs; a monitor's last picture again in %d; header reads a run: %.1f on average, %d at most\n",
                runs, files.size(), 100.0 * matched / picks, picks, twice, again, static_cast<double>(reads) / runs,
                mostReads);
    return 0;
}
