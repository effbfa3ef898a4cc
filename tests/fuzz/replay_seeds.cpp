// SPDX-License-Identifier: GPL-3.0-or-later
// The seed files of a fuzz target as an ordinary test: this main() stands in for libFuzzer and
// feeds every file it is given (or every file of a folder it is given) to the target's entry
// function once. A seed that breaks one of the target's rules traps or aborts as it would under
// libFuzzer; the last name printed is the seed that did it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> seeds;
    for (int i = 1; i < argc; ++i) {
        const fs::path path = argv[i];
        if (!fs::is_directory(path)) {
            seeds.push_back(path);
            continue;
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
            if (entry.is_regular_file())
                seeds.push_back(entry.path());
        }
    }
    std::sort(seeds.begin(), seeds.end());
    if (seeds.empty()) {
        std::cerr << "no seed files given\n";
        return 2;
    }
    for (const fs::path& seed : seeds) {
        std::ifstream in(seed, std::ios::binary);
        if (!in) {
            std::cerr << "cannot read " << seed << '\n';
            return 2;
        }
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
        std::cout << seed.filename().string() << std::endl; // written before a crash can hide it
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::cout << seeds.size() << " seeds replayed\n";
    return 0;
}
