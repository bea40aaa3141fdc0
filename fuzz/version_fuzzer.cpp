// Fuzz target: the version file and the update decision. The input is split into the installed
// ver.txt and the version file the server sent; the check reads them as after a download and
// decides (the notifier answers every question for the new program with Yes and never lets a
// package download start).
#include <cstdint>
#include <filesystem>

#include "db/text.h"
#include "db/timetable_db.h"
#include "fuzz_support.h"
#include "update/update_checker.h"

namespace {

struct Answers : zelvan::UpdateNotifier {
    bool ask(bool programFlag, bool, const std::u16string&) override { return programFlag; }
    void showError(const std::u16string&) override {}
    void openHomepage() override {}
};

int sign(int value) {
    return (value > 0) - (value < 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelvan;
    using namespace zelvan::fuzz;
    namespace fs = std::filesystem;
    const std::vector<std::string_view> pieces = splitInput(data, size, 2);
    const std::string_view versionFile = pieces.size() > 1 ? pieces[1] : pieces[0];

    const std::vector<std::u16string> fields = splitVersionFile(versionFile);
    for (const std::u16string& field : fields) {
        if (field.empty()) fail("an empty field from the version file");
    }
    if (fields.size() >= 2) {
        const int ab = compareNoCase(fields[0], fields[1]);
        if (sign(ab) != -sign(compareNoCase(fields[1], fields[0])))
            fail("comparison not symmetric");
        if (compareNoCase(fields[0], fields[0]) != 0) fail("a field differs from itself");
    }

    const fs::path folder = scratchFolder() / "version";
    resetFolder(folder);
    TimetableDb db;
    db.folder = fromUtf8(folder.string());
    UpdateChecker checker(db, "http://127.0.0.1:9");
    Answers answers;
    checker.setNotifier(&answers);
    fs::create_directories(checker.workFolder());
    if (pieces.size() > 1) writeFiles(folder, {"ver.txt"}, {pieces[0]});
    writeFiles(checker.workFolder(), {"update.ver"}, {versionFile});
    checker.downloadFinished();  // stage 0: the version file has arrived
    if (checker.stage() != 0) fail("a package download started");
    return 0;
}
