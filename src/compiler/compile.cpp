// Compiling a source folder into a data folder, and the same from source text held in memory.
#include <stdlib.h>

#include <fstream>

#include "compiler/compiler_p.h"

namespace zelvan {

namespace fs = std::filesystem;

bool compileTimetable(const fs::path& sourceFolder, const fs::path& dataFolder, std::string& error,
                      const CompileOptions& options) {
    TimetableSource source;
    return readTimetableSource(sourceFolder, source, error) &&
           writeDataFiles(source, dataFolder, error, options);
}

bool compileSourceText(const std::map<std::string, std::string>& files, const fs::path& dataFolder,
                       std::string& error) {
    error.clear();
    std::error_code ec;
    std::string pattern = (fs::temp_directory_path(ec) / "zelvan-source-XXXXXX").string();
    if (ec || !mkdtemp(pattern.data())) {
        error = "cannot create a temporary source folder";
        return false;
    }
    const fs::path folder = pattern;
    bool written = true;
    for (const auto& [name, text] : files) {
        // Plain file names only: the files belong inside the temporary folder.
        if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
            error = "bad source file name \"" + name + "\"";
            written = false;
            break;
        }
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            error = "cannot write " + (folder / name).string();
            written = false;
            break;
        }
    }
    const bool compiled = written && compileTimetable(folder, dataFolder, error);
    fs::remove_all(folder, ec);
    return compiled;
}

}  // namespace zelvan
