// Without libFuzzer (the ordinary g++ build) a fuzz target replays its corpus: every file named
// on the command line, or every file in the folders named there, goes once through the target.
// The sanitizers of the build catch what a fuzzing run would have caught on the same input.

#include "fuzz_target.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

bool replayFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    // An empty input still goes through: the target must cope with it.
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(arg, error)) {
            for (const auto &entry : std::filesystem::directory_iterator(arg, error)) {
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
            }
        } else {
            inputs.push_back(arg);
        }
    }
    // Sorted, so that a failure names the same input on every run.
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    int unreadable = 0;
    for (const auto &input : inputs)
        unreadable += replayFile(input) ? 0 : 1;
    std::printf("replayed %zu inputs\n", inputs.size() - std::size_t(unreadable));
    return unreadable == 0 ? 0 : 1;
}
