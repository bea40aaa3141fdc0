// Fuzz target: a database package. The input is the zip archive; it is described entry by
// entry, then unpacked into a scratch folder. Whatever the archive holds, nothing may be
// written outside that folder.
#include <cstdint>
#include <filesystem>

#include "db/text.h"
#include "fuzz_support.h"
#include "update/package_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelvan;
    using namespace zelvan::fuzz;
    namespace fs = std::filesystem;
    const fs::path root = scratchFolder() / "package";
    const fs::path package = root / "wm.db";
    const fs::path target = root / "out";
    resetFolder(root);
    writeFiles(root, {"wm.db"}, {std::string_view(reinterpret_cast<const char*>(data), size)});

    if (auto reader = PackageReader::open(fromUtf8(package.string()))) {
        PackageEntry entry;
        reader->describe(-1, entry);
        std::uint64_t declared = 0;
        reader->declaredSize(declared);
        for (int i = 0; i < reader->entryCount() && i < 64; ++i) {
            reader->describe(i, entry);
            reader->describe(i, entry);  // the cached description
            stripEntryName(entry.name);
        }
    }
    // Small limits keep a run quick; the limits themselves are part of what is fuzzed.
    UnpackLimits limits;
    limits.maxTotalBytes = 1 << 20;
    limits.maxEntries = 256;
    extractPackage(fromUtf8(package.string()), fromUtf8(target.string()), limits);

    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root, ec)) {
        if (entry.path() != package && entry.path() != target) fail("a file beside the target");
    }
    return 0;
}
