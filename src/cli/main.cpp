// zelvan-cli: every query of the timetable from the command line, as text tables or JSON.
#include <cstdlib>
#include <iostream>

#include "cli/cli_common.h"
#include "cli/help_format.h"
#include "cli/language.h"
#include "db/text.h"
#include "update/version.h"

int main(int argc, char** argv) {
    using namespace zelvan::cli;
    // First: every text the commands register below is looked up in the chosen catalog.
    setUpLanguage();
    Globals globals;
    chooseCommand(argc, argv, globals);
    CLI::App app{tr("Zelvan时刻表 command line: offline railway timetable queries"), "zelvan-cli"};
    // Before the commands are added: they take the formatter over from here.
    app.formatter(std::make_shared<HelpFormatter>(globals.commands));
    app.option_defaults()->group(tr("Options"));
    app.set_help_flag("-h,--help", tr("Print this help message and exit"));
    app.fallthrough();  // the global options may also follow the command
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", tr("Print help for every command and exit"));
    app.set_version_flag("--version",
                         "zelvan-cli " + zelvan::toUtf8(zelvan::kProgramVersion) + "-" +
                             zelvan::toUtf8(zelvan::kProgramBuild),
                         tr("Display program version information and exit"));
    app.add_option("--data", globals.dataDir,
                   tr("Data folder (default: ZELVAN_DATA, else the first of the user's data "
                      "folder, the program's folder and the installed timetable that holds one)"));
    app.add_option("--date", globals.date, tr("Day of travel, YYYY-MM-DD (default: today)"))
        ->check(CLI::Validator(
            [&globals](std::string& text) {
                return parseDate(text, globals.queryDate)
                           ? std::string()
                           : fill(tr("expects a date YYYY-MM-DD, got '%s'"), {text});
            },
            "YYYY-MM-DD"));
    app.add_flag("--json", globals.json, tr("Print exactly one JSON document"));
    app.add_option("--sort", globals.sortName,
                   tr("Order of the rows and journeys: departure, arrival, duration or train "
                      "(default: as the query finds them)"))
        ->check(CLI::Validator(
            [&globals](std::string& text) {
                return parseSortKey(text, globals.sort)
                           ? std::string()
                           : fill(tr("expects departure, arrival, duration or train, got '%s'"),
                                  {text});
            },
            "KEY"));

    app.add_flag("--running", globals.running,
                 tr("Only the trains that run on the day of travel, each run once, in departure "
                    "order unless --sort names another"));

    addQueryCommands(app, globals);
    addJourneyCommand(app, globals);
    addBatchCommand(app, globals);
    addToolCommands(app, globals);
    addImportCommand(app, globals);
    addUpdateCommands(app, globals);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "zelvan-cli: " << e.what() << "\n"
                  << tr("Run 'zelvan-cli --help' for usage.") << "\n";
        return kExitUsage;
    } catch (const std::exception& e) {
        std::cerr << "zelvan-cli: " << e.what() << "\n";
        return kExitFailed;
    }
    // A command runs once: what it holds (the mapped timetable, the parser) is left to the
    // system to free, which it does at once, instead of being taken apart piece by piece. The
    // sanitizer builds end normally, so that their leak check sees every allocation freed.
#if !defined(__SANITIZE_ADDRESS__)
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(globals.exitCode);
#endif
    return globals.exitCode;
}
