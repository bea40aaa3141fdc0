// Runs a fuzz target's entry point once for every file named on the command line, or found in a
// folder named there: how the seeds and the regression inputs are replayed in the ordinary
// builds, which have no libFuzzer. A broken property aborts, as under the fuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <set>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::set<fs::path> inputs;  // sorted: the same order on every run
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        if (!fs::exists(argv[i], ec)) continue;  // a target without regressions yet
        if (fs::is_directory(argv[i], ec)) {
            for (const auto& entry : fs::recursive_directory_iterator(argv[i], ec)) {
                if (entry.is_regular_file()) inputs.insert(entry.path());
            }
        } else {
            inputs.insert(argv[i]);
        }
    }
    for (const fs::path& input : inputs) {
        const std::string bytes = zelvan::fuzz::readFile(input);
        std::fprintf(stderr, "%s (%zu bytes)\n", input.c_str(), bytes.size());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
