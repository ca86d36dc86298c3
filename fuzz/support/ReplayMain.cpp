// Runs a fuzz target once on every file of the folders (or files) given, in name order: how
// a build without libFuzzer replays the corpora. The paths are made absolute first, because a
// target may change the current folder to its temporary one.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace {
std::vector<std::filesystem::path> InputFiles(int argc, char** argv)
{
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path given = std::filesystem::absolute(argv[i]);
        if (!std::filesystem::is_directory(given)) {
            files.push_back(given);
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(given)) {
            if (entry.is_regular_file())
                files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> ReadWhole(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}
}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::filesystem::path> files = InputFiles(argc, argv);
    if (files.empty()) {
        std::fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    for (const std::filesystem::path& file : files) {
        const std::vector<uint8_t> input = ReadWhole(file);
        std::fprintf(stderr, "%s\n", file.c_str());
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    return 0;
}
