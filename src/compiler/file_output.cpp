// Replacing a set of files in a folder so that a failure leaves no half-written file behind:
// everything is written under temporary names first and renamed into place only at the end.
#include <unistd.h>

#include <fstream>

#include "compiler/compiler_p.h"

namespace zelvan::compiler {

namespace fs = std::filesystem;

bool replaceFiles(const fs::path& folder, const std::vector<OutputFile>& files,
                  const std::vector<std::string>& stale, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) {
        error = "cannot create the folder " + folder.string() + (ec ? ": " + ec.message() : "");
        return false;
    }
    // A folder in the place of a file would only fail at the renames, after some files were
    // already replaced.
    for (const OutputFile& file : files) {
        if (fs::is_directory(folder / file.name, ec)) {
            error = "cannot write " + (folder / file.name).string() + ": it is a folder";
            return false;
        }
    }
    const std::string suffix = ".tmp-" + std::to_string(getpid());
    std::vector<fs::path> temporary;
    auto discard = [&temporary](std::size_t from) {
        std::error_code ignored;
        for (std::size_t i = from; i < temporary.size(); ++i) fs::remove(temporary[i], ignored);
    };
    for (const OutputFile& file : files) {
        fs::path path = folder / ("." + file.name + suffix);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out.is_open()) temporary.push_back(path);
        out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + (folder / file.name).string();
            discard(0);
            return false;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        fs::rename(temporary[i], folder / files[i].name, ec);
        if (ec) {
            error = "cannot write " + (folder / files[i].name).string() + ": " + ec.message();
            discard(i);
            return false;
        }
    }
    for (const std::string& name : stale) {
        fs::path path = folder / name;
        fs::remove(path, ec);  // a missing file is no error
        if (ec) {
            error = "cannot remove " + path.string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

}  // namespace zelvan::compiler
