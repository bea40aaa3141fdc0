// Commands of the online update: update (check the server, install a newer timetable), extract
// (unpack a database package) and pack (make a package and its version file for a web server).
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "db/product.h"
#include "db/text.h"
#include "update/network_connection.h"
#include "update/package_reader.h"
#include "update/package_writer.h"
#include "update/update_checker.h"
#include "update/version.h"

namespace zelvan::cli {
namespace {

// Answers the update check's questions on the terminal: "y" or "yes" on stdin is Yes, anything
// else (end of input included) is No. With --json only the final document goes to stdout.
class TerminalNotifier : public UpdateNotifier {
  public:
    TerminalNotifier(bool answerYes, bool json) : answerYes_(answerYes), json_(json) {}

    bool ask(bool programFlag, bool questionFlag, const std::u16string& text) override {
        std::ostream& shown = json_ ? std::cerr : std::cout;
        if (!programFlag && !questionFlag) {
            notices.push_back(out(text));
            shown << out(text) << "\n";
            return false;
        }
        questions.push_back(out(text));
        shown << out(text) << " [y/n] " << std::flush;
        bool yes = answerYes_;
        if (yes) {
            shown << "y\n";
        } else {
            std::string line;
            if (std::getline(std::cin, line)) {
                while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                    line.pop_back();
                yes = line == "y" || line == "Y" || line == "yes" || line == "Yes";
                if (!::isatty(STDIN_FILENO)) shown << (yes ? "y" : "n") << "\n";  // no echo
            } else {
                shown << "\n";
            }
        }
        answers.push_back(yes);
        return yes;
    }

    void showError(const std::u16string& text) override {
        errors.push_back(out(text));
        std::cerr << "zelvan-cli update: " << out(text) << "\n";
    }

    void openHomepage() override {
        (json_ ? std::cerr : std::cout)
            << "主页: " << out(std::u16string(kMobileSiteAddress)) << "\n";
    }

    std::vector<std::string> questions, notices, errors;
    std::vector<bool> answers;

  private:
    bool answerYes_;
    bool json_;
};

const char* outcomeName(UpdateOutcome outcome) {
    switch (outcome) {
        case UpdateOutcome::NoUpdate:
            return "no-update";
        case UpdateOutcome::NewProgram:
            return "new-program";
        case UpdateOutcome::Declined:
            return "declined";
        case UpdateOutcome::Updated:
            return "updated";
        case UpdateOutcome::Failed:
            return "failed";
        case UpdateOutcome::NoAnswer:
            return "no-answer";
    }
    return "failed";
}

std::string withoutTrailingSlash(std::string url) {
    while (!url.empty() && url.back() == '/') url.pop_back();
    return url;
}

const CLI::Validator kWebAddress(
    [](std::string& text) {
        return text.rfind("http://", 0) == 0 || text.rfind("https://", 0) == 0
                   ? std::string()
                   : "expects an http:// or https:// address, got '" + text + "'";
    },
    "URL");

}  // namespace

void addUpdateCommands(CLI::App& app, Globals& globals) {
    static struct {
        std::string server = std::string(kDefaultUpdateServer);
        bool yes = false;
        std::string package, folder, output;
        std::string url = std::string(kDefaultUpdateServer) + std::string(kPackageFilePath);
        std::string text = "时刻表数据更新";
    } options;

    CLI::App* update = app.add_subcommand(
        "update", "Check the download server for a newer program or timetable and install it");
    update->add_option("--server", options.server, "Base address of the download server")
        ->check(kWebAddress)
        ->capture_default_str();
    update->add_flag("--yes,-y", options.yes, "Answer yes to every question");
    update->callback([&globals] {
        TimetableDb db;
        // A folder without a (loadable) timetable can still receive one.
        db.load(dataFolder(globals));
        UpdateChecker checker(db, withoutTrailingSlash(options.server));
        TerminalNotifier notifier(options.yes, globals.json);
        NetworkConnection connection;
        UpdateOutcome outcome = runUpdateCommand(connection, checker, notifier);
        if (outcome == UpdateOutcome::NoAnswer) {
            std::cerr << "zelvan-cli update: the version file of " << checker.server()
                      << " is not understood (it needs six fields separated by \"|\")\n";
        }
        if (outcome == UpdateOutcome::Failed || outcome == UpdateOutcome::NoAnswer) {
            globals.exitCode = kExitFailed;
        }
        if (globals.json) {
            std::u16string version;
            db.readDatabaseVersion(version);
            printJson({{"outcome", outcomeName(outcome)},
                       {"questions", notifier.questions},
                       {"answers", notifier.answers},
                       {"notices", notifier.notices},
                       {"errors", notifier.errors},
                       {"databaseVersion", out(version)}});
        }
    });

    CLI::App* extract = app.add_subcommand("extract", "Unpack a database package into a folder");
    extract->add_option("PACKAGE", options.package, "Package file (a zip archive)")->required();
    extract->add_option("DIR", options.folder, "Folder to unpack into (created if missing)")
        ->required();
    extract->callback([&globals] {
        ExtractSummary summary =
            extractPackage(fromUtf8(options.package), fromUtf8(options.folder));
        if (summary.code == kPackageCannotOpen && summary.entries == 0) {
            std::cerr << "zelvan-cli extract: " << options.package
                      << " cannot be opened as a zip archive\n";
        } else if (summary.code == kPackageTooLarge && summary.written == 0) {
            std::cerr << "zelvan-cli extract: " << options.package
                      << " would unpack to more than allowed (256 MiB, or 100 times its size)\n";
        } else if (summary.code != kPackageOk) {
            std::cerr << "zelvan-cli extract: " << summary.failed << " of " << summary.entries
                      << " entries could not be unpacked (code 0x" << std::hex << summary.code
                      << std::dec << ")\n";
        }
        if (summary.skipped > 0) {
            std::cerr << "zelvan-cli extract: skipped " << summary.skipped
                      << " entries whose names lead outside " << options.folder << "\n";
        }
        if (summary.code != kPackageOk) globals.exitCode = kExitFailed;
        if (globals.json) {
            printJson({{"entries", summary.entries},
                       {"written", summary.written},
                       {"skipped", summary.skipped},
                       {"failed", summary.failed},
                       {"code", summary.code}});
        } else if (summary.code == kPackageOk) {
            std::cout << summary.written << " of " << summary.entries << " entries unpacked into "
                      << options.folder << "\n";
        }
    });

    CLI::App* pack = app.add_subcommand(
        "pack",
        "Make a database package OUT and its version file OUT.ver from a data folder (serve "
        "them as wm.db and wm.ver)");
    pack->add_option("DIR", options.folder, "Data folder holding the timetable files")->required();
    pack->add_option("OUT", options.output, "Package file to write")->required();
    pack->add_option("--url", options.url, "Address the package will be served from")
        ->check(kWebAddress)
        ->capture_default_str();
    pack->add_option("--text", options.text, "Text about the update (field 3 of the version file)")
        ->capture_default_str();
    pack->callback([&globals] {
        std::vector<std::string> packed;
        std::string error;
        std::string versionFile = options.output + ".ver";
        bool ok = writePackage(options.folder, options.output, packed, error);
        if (ok &&
            !writeVersionFile(options.folder, versionFile, options.text, options.url, error)) {
            std::error_code ec;
            std::filesystem::remove(options.output, ec);  // no package without its version file
            ok = false;
        }
        if (!ok) {
            std::cerr << "zelvan-cli pack: " << error << "\n";
            globals.exitCode = kExitFailed;
            return;
        }
        if (globals.json) {
            printJson(
                {{"package", options.output}, {"versionFile", versionFile}, {"files", packed}});
            return;
        }
        std::cout << "packed " << packed.size() << " files into " << options.output
                  << "\nversion file " << versionFile << "\n";
    });
}

}  // namespace zelvan::cli
