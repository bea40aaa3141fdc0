#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace zelvan::fuzz {

std::vector<std::string_view> splitInput(const std::uint8_t* data, std::size_t size,
                                         std::size_t count) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> pieces;
    while (pieces.size() + 1 < count) {
        const std::size_t at = rest.find(kFileSeparator);
        if (at == std::string_view::npos) break;
        pieces.push_back(rest.substr(0, at));
        rest.remove_prefix(at + kFileSeparator.size());
    }
    if (count > 0) pieces.push_back(rest);
    return pieces;
}

std::string joinFiles(const std::vector<std::string>& files) {
    std::string input;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0) input += kFileSeparator;
        input += files[i];
    }
    return input;
}

const fs::path& scratchFolder() {
    static const fs::path folder = [] {
        std::error_code ec;
        fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
        fs::path path = base / ("zelvan-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(path, ec);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(scratchFolder(), ignored);
        });
        return path;
    }();
    return folder;
}

void resetFolder(const fs::path& folder) {
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder, ec);
}

void writeFiles(const fs::path& folder, const std::vector<std::string>& names,
                const std::vector<std::string_view>& pieces) {
    // Rewritten in place rather than made afresh: fewer system calls for every input.
    std::error_code ec;
    fs::create_directories(folder, ec);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const fs::path file = folder / names[i];
        if (i >= pieces.size()) {
            ::unlink(file.c_str());
            continue;
        }
        std::FILE* out = std::fopen(file.c_str(), "wb");
        if (!out) continue;
        std::fwrite(pieces[i].data(), 1, pieces[i].size(), out);
        std::fclose(out);
    }
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void fail(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace zelvan::fuzz
