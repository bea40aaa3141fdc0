#include "update/update_checker.h"

#include <cstdio>

#include "db/text.h"
#include "db/timetable_db.h"
#include "update/cancel_token.h"
#include "update/database_install.h"
#include "update/installation.h"

namespace fs = std::filesystem;

namespace zelvan {
namespace {

// Formatted questions hold at most 1023 units, like the message buffers they were sized for.
constexpr std::size_t kMessageUnits = 1023;

// The question for a newer timetable: its version, then what the traveller weighs before
// downloading it: the version in use, the text about the update (field 2; "-" or empty: none)
// and the package's size (field 6, bytes, which our own version files carry and older ones
// lack).
std::u16string databaseQuestion(const std::vector<std::u16string>& fields,
                                const std::u16string& installed) {
    std::u16string question =
        translatedPattern(ZELVAN_TEXT("zelvan", "发现新数据库版本:%1"), {fields[3]}) + u"\n";
    std::u16string inUse = installed;
    while (!inUse.empty() && (inUse.back() == u'\n' || inUse.back() == u'\r')) inUse.pop_back();
    if (!inUse.empty()) {
        question +=
            translatedPattern(ZELVAN_TEXT("zelvan", "正在使用的版本:%1"), {inUse}) + u"\n";
    }
    if (!fields[2].empty() && fields[2] != u"-") question += fields[2] + u"\n";
    std::int64_t bytes = -1;
    if (fields.size() > 6 && !fields[6].empty() && fields[6].size() <= 15) {
        bytes = 0;
        for (char16_t c : fields[6]) {
            if (c < u'0' || c > u'9') {
                bytes = -1;
                break;
            }
            bytes = bytes * 10 + (c - u'0');
        }
    }
    if (bytes > 0) {
        question +=
            translatedPattern(ZELVAN_TEXT("zelvan", "下载大小:%1"), {byteCountText(bytes)}) + u"\n";
    }
    return question + translated(ZELVAN_TEXT("zelvan", "现在就去下载吗?"));
}

std::u16string cut(std::u16string text) {
    if (text.size() > kMessageUnits) text.resize(kMessageUnits);
    return text;
}

char16_t foldCase(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// The whole file as text, with CR LF read as LF (the version file is read in text mode).
bool readText(const fs::path& path, std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    text.clear();
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
    std::string lines;
    lines.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        lines.push_back(text[i]);
    }
    text.swap(lines);
    return true;
}

}  // namespace

std::vector<std::u16string> splitVersionFile(std::string_view text) {
    std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    std::vector<std::u16string> fields;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t bar = text.find('|', pos);
        if (bar == std::string_view::npos) bar = text.size();
        if (bar > pos) fields.push_back(ansiToWide(text.substr(pos, bar - pos)));
        pos = bar + 1;
    }
    return fields;
}

int compareNoCase(std::u16string_view a, std::u16string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        char16_t x = foldCase(a[i]);
        char16_t y = foldCase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

UpdateChecker::UpdateChecker(TimetableDb& db, std::string serverBase)
    : db_(db), serverBase_(std::move(serverBase)) {
    versionFileLimits.maxBytes = 64 << 10;
    packageLimits.maxBytes = static_cast<std::int64_t>(unpackLimits.maxTotalBytes);
}

fs::path UpdateChecker::installFolder() const {
    return fs::path(toUtf8(installFolder_ ? *installFolder_ : db_.folder));
}

fs::path UpdateChecker::workFolder() const {
    return workFolderOf(installFolder());
}

void UpdateChecker::reportError(const std::u16string& text) {
    if (notifier_) notifier_->showError(text);
}

void UpdateChecker::reportProgress(std::int64_t bytes) {
    // The first report of a download is its announced length, the others are pieces read.
    if (lengthReported_) {
        progress_.received += bytes;
    } else {
        progress_.total = bytes;
        lengthReported_ = true;
    }
    if (notifier_) notifier_->showProgress(progress_);
}

void UpdateChecker::beginPhase(UpdatePhase phase) {
    progress_ = UpdateProgress{phase, 0, 0};
    lengthReported_ = false;
    if (notifier_) notifier_->showProgress(progress_);
}

bool UpdateChecker::cancelRequested() const {
    return cancel_ && cancel_->cancelled();
}

void UpdateChecker::downloadFinished() {
    if (stage_ == 0) {
        versionFileArrived();
    } else {
        packageArrived();
    }
}

UpdateOutcome UpdateChecker::startCheck() {
    stage_ = 0;
    outcome_ = UpdateOutcome::Failed;
    fields_.clear();
    // No folder to install into (the user has no home), or a crashed install that cannot be
    // resolved, leaves nothing safe to write into.
    if (installFolder().empty()) {
        reportError(std::u16string(kTextCannotWrite));
        return outcome_;
    }
    fs::path work = workFolder();
    std::error_code ec;
    fs::create_directories(work, ec);
    UpdateLock lock(installFolder());
    if (ec || !lock.opened()) {
        reportError(std::u16string(kTextCannotWrite));
        return outcome_;
    }
    if (lock.busy()) {
        // The other check's files are not ours to touch, nor to mend.
        outcome_ = UpdateOutcome::Busy;
        reportError(std::u16string(kTextUpdateBusy));
        return outcome_;
    }
    UpdateOutcome outcome = runCheck();
    if (outcome == UpdateOutcome::Cancelled) {
        fs::remove(work / "update.ver", ec);
        fs::remove(work / "wm.db", ec);
        if (notifier_) notifier_->ask(false, false, std::u16string(kTextUpdateCancelled));
    }
    return outcome;
}

UpdateOutcome UpdateChecker::runCheck() {
    fs::path work = workFolder();
    std::error_code ec;
    bool interrupted = fs::exists(work / "backup", ec);
    if (!mendInterruptedInstall(installFolder())) {
        reportError(std::u16string(kTextCannotWrite));
        return outcome_;
    }
    if (interrupted) db_.load(db_.folder);  // the files under it were just made whole again
    beginPhase(UpdatePhase::Checking);
    if (downloadToFile(*this, serverBase_ + std::string(kVersionFilePath), work / "update.ver",
                       versionFileLimits, cancel_) == kDownloadCancelled) {
        outcome_ = UpdateOutcome::Cancelled;
    }
    // A cancel that stopped the package download, or the question (a terminal's Ctrl+C at the
    // prompt reads as No), ends the check as cancelled too.
    if ((outcome_ == UpdateOutcome::Failed || outcome_ == UpdateOutcome::Declined) &&
        cancelRequested()) {
        outcome_ = UpdateOutcome::Cancelled;
    }
    return outcome_;
}

void UpdateChecker::versionFileArrived() {
    fs::path file = workFolder() / "update.ver";
    std::string text;
    outcome_ = UpdateOutcome::NoAnswer;
    if (!readText(file, text)) return;
    std::error_code ec;
    fs::remove(file, ec);

    fields_ = splitVersionFile(text);
    if (fields_.size() < 6) return;

    if (compareNoCase(fields_[0], kProgramVersion) != 0 ||
        compareNoCase(fields_[1], kProgramBuild) != 0) {
        // Older or newer alike: the server's program is the one to have.
        outcome_ = UpdateOutcome::NewProgram;
        std::u16string question = translatedPattern(
            ZELVAN_TEXT("zelvan", "发现新版本程序:%1.%2\r\n%3\n数据库版本:%4\n现在就去下载吗?"),
            {fields_[0], fields_[1], fields_[2], fields_[3]});
        if (notifier_ && notifier_->ask(true, true, cut(std::move(question)))) {
            notifier_->openHomepage();
        }
        return;
    }

    // A damaged timetable is worth replacing whatever version it claims to be.
    std::u16string installed;
    if (checkInstalledTimetable(fs::path(toUtf8(db_.folder))).passed()) {
        db_.readDatabaseVersion(installed);
    }
    if (compareNoCase(fields_[3], installed) <= 0) {
        outcome_ = UpdateOutcome::NoUpdate;
        if (notifier_) notifier_->ask(false, false, translated(kTextNoUpdate));
        return;
    }
    std::u16string question = databaseQuestion(fields_, installed);
    if (!notifier_ || !notifier_->ask(false, true, cut(std::move(question)))) {
        outcome_ = UpdateOutcome::Declined;
        return;
    }
    stage_ = 1;
    outcome_ = UpdateOutcome::Failed;  // stays unless the package arrives and installs
    beginPhase(UpdatePhase::Downloading);
    downloadToFile(*this, toUtf8(fields_[4]), workFolder() / "wm.db", packageLimits, cancel_);
}

void UpdateChecker::packageArrived() {
    beginPhase(UpdatePhase::Installing);
    const InstallResult result = installPackage();
    if (result.status == InstallStatus::Installed) {
        outcome_ = UpdateOutcome::Updated;
        if (notifier_) notifier_->ask(false, false, translated(kTextUpdated));
    } else if (cancelRequested()) {
        outcome_ = UpdateOutcome::Cancelled;
    } else {
        outcome_ = UpdateOutcome::Failed;
        reportError(result.status == InstallStatus::Damaged
                        ? translatedPattern(ZELVAN_TEXT("zelvan", "更新失败：%1，原有数据未改变"),
                                            {damageText(result.check)})
                        : translated(kTextUpdateFailed));
    }
}

// Unpacks into a staging folder and installs what passes the check into the install folder.
// Any failure before the moves leaves the live files and the loaded database untouched.
InstallResult UpdateChecker::installPackage() {
    fs::path work = workFolder();
    fs::path staging = work / "staging";
    fs::path target = installFolder();
    fs::path loaded = fs::path(toUtf8(db_.folder));
    std::error_code ec;
    fs::remove_all(staging, ec);
    InstallResult result;
    if (ec) return result;

    ExtractSummary unpacked = extractPackage(fromUtf8((work / "wm.db").string()),
                                             fromUtf8(staging.string()), unpackLimits);
    bool ok = unpacked.code == kPackageOk;
    // Installing beside the loaded timetable rather than over it: the files the package leaves
    // out come from the loaded one, as they would have stayed in place.
    if (ok && !sameFolder(target, loaded)) ok = carryOverOptionalFiles(loaded, staging);
    // A cancel is honoured up to the first move; after it the install runs to its end.
    if (ok) {
        result =
            installCheckedTimetable(db_, staging, target, [this] { return cancelRequested(); });
    }
    fs::remove_all(staging, ec);
    return result;
}

}  // namespace zelvan
