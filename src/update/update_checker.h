// The update check: fetch the server's version file, compare it with the program's version and
// build and the installed database version, ask the user, and for a newer database download,
// check and install the package and reload the timetable.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "db/translation.h"

#include "update/download.h"
#include "update/installation.h"
#include "update/package_reader.h"
#include "update/update_progress.h"
#include "update/version.h"

namespace zelvan {

class CancelToken;
class TimetableDb;

// Questions and notices of the update check.
inline constexpr std::u16string_view kTextNoUpdate = ZELVAN_TEXT("zelvan", "没有发现更新");
inline constexpr std::u16string_view kTextUpdated = ZELVAN_TEXT("zelvan", "更新完毕");
inline constexpr std::u16string_view kTextUpdateFailed =
    ZELVAN_TEXT("zelvan", "更新失败，原有数据未改变");
inline constexpr std::u16string_view kTextUpdateCancelled =
    ZELVAN_TEXT("zelvan", "更新已取消，原有数据未改变");

// Where the update check talks to the user; the application and the command line implement it.
class UpdateNotifier {
  public:
    virtual ~UpdateNotifier() = default;
    // With either flag set a Yes/No question (caption "发现更新"): true for Yes. With both clear
    // a notice (caption "没有更新", OK only) that returns false.
    virtual bool ask(bool programFlag, bool questionFlag, const std::u16string& text) = 0;
    // A failed download or update (caption "信息", OK only).
    virtual void showError(const std::u16string& text) = 0;
    // The user wants the new program: open the product's mobile homepage.
    virtual void openHomepage() = 0;
    // A new phase began, or more bytes arrived. Frequent (every piece read): keep it cheap.
    virtual void showProgress(const UpdateProgress&) {}
};

// How a check ended.
enum class UpdateOutcome : int {
    NoUpdate = 0,    // "没有发现更新"
    NewProgram = 1,  // a new program was announced (and the homepage opened on Yes)
    Declined = 2,    // the user said No to the new database
    Updated = 3,     // the new database is installed and loaded
    Failed = 4,      // a download or the update failed; the old timetable is untouched
    NoAnswer = 5,    // the version file was unusable (fewer than six fields): nothing shown
    Cancelled = 6,   // stopped by the user; the old timetable is untouched
    Busy = 7,        // another update of the same data folder is running; nothing was done
};

class UpdateChecker : public DownloadListener {
  public:
    // Checks against the server at `serverBase` (no trailing "/") and updates `db`'s folder.
    explicit UpdateChecker(TimetableDb& db,
                           std::string serverBase = std::string(kDefaultUpdateServer));

    void setNotifier(UpdateNotifier* notifier) { notifier_ = notifier; }
    // Watched by the downloads and before the install (none: the check cannot be stopped).
    void setCancelToken(const CancelToken* cancel) { cancel_ = cancel; }
    // Installs into `folder` (created when missing) instead of the database's own folder; the
    // folder the database was loaded from is then only read. An empty folder refuses updates.
    void setInstallFolder(std::u16string folder) { installFolder_ = std::move(folder); }
    void setServer(std::string serverBase) { serverBase_ = std::move(serverBase); }
    const std::string& server() const { return serverBase_; }
    // Bounds of the two downloads and of the unpacking (the defaults suit the field).
    DownloadLimits versionFileLimits;
    DownloadLimits packageLimits;
    UnpackLimits unpackLimits;

    // Runs the whole check; every question, notice and error goes to the notifier. Only one
    // check of an install folder runs at a time, in all processes; a second one ends as Busy.
    UpdateOutcome startCheck();

    // The fields of the last version file read, and the stage (0 version file, 1 package).
    const std::vector<std::u16string>& fields() const { return fields_; }
    int stage() const { return stage_; }
    // The folder an update installs into: the one set above, else the database's folder.
    std::filesystem::path installFolder() const;
    // Where the downloads, the staging folder and the backup live: a hidden folder inside the
    // install folder, so that every move into place is a rename within one file system.
    std::filesystem::path workFolder() const;

    // DownloadListener
    void reportError(const std::u16string& text) override;
    void reportProgress(std::int64_t bytes) override;
    void downloadFinished() override;

  private:
    UpdateOutcome runCheck();
    void versionFileArrived();
    void packageArrived();
    InstallResult installPackage();
    void beginPhase(UpdatePhase phase);
    bool cancelRequested() const;

    TimetableDb& db_;
    std::string serverBase_;
    UpdateNotifier* notifier_ = nullptr;
    const CancelToken* cancel_ = nullptr;
    std::optional<std::u16string> installFolder_;
    UpdateProgress progress_;
    bool lengthReported_ = false;  // the current download's first report (its length) came
    std::vector<std::u16string> fields_;
    int stage_ = 0;
    UpdateOutcome outcome_ = UpdateOutcome::Failed;
};

// Splits version-file text at "|" the way the C library's strtok does (runs of separators give
// no empty fields; the text ends at a NUL) and converts each field from GBK.
std::vector<std::u16string> splitVersionFile(std::string_view text);
// Compares code unit by code unit with ASCII letters folded to lower case: <0, 0 or >0.
int compareNoCase(std::u16string_view a, std::u16string_view b);

}  // namespace zelvan
