// Runs a fuzz target without libFuzzer: over its seeds and over every file below the folders or
// files named on the command line (reproducers of past findings; a missing folder is skipped).
// "--write-seeds DIR" writes the seeds as files instead, for a libFuzzer run to start from.
#include "tests/fuzz/FuzzTarget.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
int Run(const std::vector<BYTE>& input)
{
    return LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
}

std::vector<BYTE> ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int WriteSeeds(const fs::path& folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    int n = 0;
    for (const std::vector<BYTE>& seed : FuzzSeeds())
    {
        std::ofstream out(folder / ("seed-" + std::to_string(n++)), std::ios::binary);
        out.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
        if (!out)
        {
            std::fprintf(stderr, "cannot write the seeds to %s\n", folder.c_str());
            return 1;
        }
    }
    std::printf("%d seeds written to %s\n", n, folder.c_str());
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-seeds") == 0)
        return WriteSeeds(argv[2]);
    int nInputs = 0;
    for (const std::vector<BYTE>& seed : FuzzSeeds())
    {
        Run(seed);
        ++nInputs;
    }
    for (int i = 1; i < argc; ++i)
    {
        std::error_code ec;
        if (fs::is_regular_file(argv[i], ec))
        {
            Run(ReadFile(argv[i]));
            ++nInputs;
            continue;
        }
        for (fs::recursive_directory_iterator it(argv[i], ec), end; !ec && it != end; it.increment(ec))
        {
            if (it->is_regular_file(ec))
            {
                Run(ReadFile(it->path()));
                ++nInputs;
            }
        }
    }
    // Each input that came back is one passed; a finding has ended the process before this.
    std::printf("%d passed, 0 failed\n", nInputs);
    return 0;
}
