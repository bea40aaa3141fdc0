// Commands that need no query: fares, info, check, build, dump.
#include <cstdio>
#include <iostream>

#include "cli/cli_common.h"
#include "cli/language.h"
#include "cli/text_table.h"
#include "compiler/timetable_source.h"
#include "db/text.h"
#include "db/timetable_check.h"
#include "db/timetable_days.h"
#include "fare/fares.h"

namespace zelvan::cli {
namespace {

// Why the folder was chosen, in the language of the table it stands in: the original Chinese
// as its other lines are, English under an English locale.
const char* reasonText(DataFolderSource source) {
    switch (source) {
        case DataFolderSource::Option:
            return markZh("由 --data 指定");
        case DataFolderSource::Environment:
            return markZh("由 ZELVAN_DATA 指定");
        case DataFolderSource::User:
            return markZh("用户的数据目录存有时刻表（s.i）");
        case DataFolderSource::Program:
            return markZh("程序所在目录存有时刻表（s.i）");
        case DataFolderSource::Installed:
            break;
    }
    return markZh("安装的时刻表（用户的数据目录和程序所在目录都没有 s.i）");
}

nlohmann::json findingsJson(const std::vector<CheckFinding>& findings) {
    nlohmann::json list = nlohmann::json::array();
    for (const CheckFinding& f : findings) {
        nlohmann::json item = {{"file", f.file}, {"what", f.what}};
        if (!f.train.empty()) item["train"] = out(f.train);
        if (!f.station.empty()) item["station"] = out(f.station);
        list.push_back(std::move(item));
    }
    return list;
}

void runCheck(Globals& globals, const std::string& folderOption) {
    Globals named = globals;
    if (!folderOption.empty()) named.dataDir = folderOption;
    const std::u16string folder = dataFolder(named).path;
    const CheckReport report = checkTimetable(folder);
    if (!report.passed()) globals.exitCode = kExitFailed;
    if (globals.json) {
        printJson(
            {{"errors", findingsJson(report.errors)}, {"warnings", findingsJson(report.warnings)}});
        return;
    }
    for (const CheckFinding& f : report.errors)
        std::cout << tr("error: ") << describeFinding(f) << "\n";
    for (const CheckFinding& f : report.warnings) {
        std::cout << tr("warning: ") << describeFinding(f) << "\n";
    }
    const long long shown = static_cast<long long>(report.errors.size() + report.warnings.size());
    const long long errors = report.errorCount, warnings = report.warningCount;
    std::cout << out(folder) << ": "
              << fill(trPlural("%s error", "%s errors", errors), {std::to_string(errors)}) << ", "
              << fill(trPlural("%s warning", "%s warnings", warnings), {std::to_string(warnings)});
    if (shown < report.errorCount + report.warningCount) {
        std::cout << fill(tr(" (the first %s of each shown)"),
                          {std::to_string(CheckReport::kMaxKept)});
    }
    std::cout << (report.passed() ? tr(": the timetable can be used")
                                  : tr(": the timetable is damaged"))
              << "\n";
}

}  // namespace

void addToolCommands(CLI::App& app, Globals& globals) {
    static int kindCode = 0, fareFactor = 0, distance = 0;
    static std::string trainName, source, output, pinyinDictionary, checked;

    if (CLI::App* fares = addCommand(app, globals, "fares",
                                     tr("The four fares of a kind code over a distance"))) {
        fares->add_option("KINDCODE", kindCode, tr("Kind code as stored, 0-127"))
            ->required()
            ->check(CLI::Range(0, 127));
        fares->add_option("FAREFACTOR", fareFactor, tr("Fare factor in tenths as stored, 0-127"))
            ->required()
            ->check(CLI::Range(0, 127));
        fares->add_option("DISTANCE", distance, tr("Distance in km, 0-16383"))
            ->required()
            ->check(CLI::Range(0, 16383));
        fares->add_option("TRAIN", trainName, tr("Train number (read by the high-speed tariff)"));
        fares->callback([&globals] {
            FareTexts f = computeFares(kindCode, fareFactor * 0.1, distance, fromUtf8(trainName));
            if (globals.json) {
                printJson({{"hardSeat", out(f.hardSeat)},
                           {"softSeat", out(f.softSeat)},
                           {"hardSleeper", out(f.hardSleeper)},
                           {"softSleeper", out(f.softSleeper)}});
                return;
            }
            std::cout << renderLabelled({{fromUtf8(trZh("硬座")), out(f.hardSeat)},
                                         {fromUtf8(trZh("软座")), out(f.softSeat)},
                                         {fromUtf8(trZh("硬卧")), out(f.hardSleeper)},
                                         {fromUtf8(trZh("软卧")), out(f.softSleeper)}});
        });
    }

    if (CLI::App* info = addCommand(app, globals, "info",
                                    tr("Which data folder answers and why, where an update "
                                       "installs, the database version and size, and whether it "
                                       "loads"))) {
        info->callback([&globals] {
            const DataFolder folder = mendedDataFolder(globals);
            TimetableDb db;
            const bool loaded = db.load(folder.path);
            const std::string problem = loaded ? std::string() : whyNotLoaded(folder.path);
            std::u16string version;
            db.readDatabaseVersion(version);
            // The days the timetable covers: its trains' first and last (null: none known).
            const TimetableDays days = loaded ? timetableDays(db) : TimetableDays{};
            const auto isoDay = [](DateKey day) {
                char text[16];
                std::snprintf(text, sizeof text, "%04d-%02d-%02d", day / 10000, day / 100 % 100,
                              day % 100);
                return std::string(text);
            };
            if (globals.json) {
                printJson({{"loaded", loaded},
                           {"databaseVersion", out(version)},
                           {"firstDay", days.known() ? nlohmann::json(isoDay(days.first))
                                                     : nlohmann::json(nullptr)},
                           {"lastDay", days.known() ? nlohmann::json(isoDay(days.last))
                                                    : nlohmann::json(nullptr)},
                           {"stations", db.stationNames.size()},
                           {"trains", db.trainIndex.size()},
                           {"dataFolder", out(folder.path)},
                           {"dataSource", dataSourceName(folder.source)},
                           {"updateFolder", out(folder.updateFolder)},
                           {"problem", problem}});
                return;
            }
            std::u16string shown = version;
            while (!shown.empty() && (shown.back() == u'\n' || shown.back() == u'\r'))
                shown.pop_back();
            std::vector<Labelled> lines = {
                {fromUtf8(trZh("数据目录")), out(folder.path)},
                {fromUtf8(trZh("来源")), trZh(reasonText(folder.source))},
                {fromUtf8(trZh("更新写入")), out(folder.updateFolder)},
                {fromUtf8(trZh("数据库版本")), out(shown)},
                {fromUtf8(trZh("时刻表日期")),
                 days.known() ? fill(trZh("%s 至 %s"), {isoDay(days.first), isoDay(days.last)})
                              : std::string(trZh("未知"))},
                {fromUtf8(trZh("车站")), std::to_string(db.stationNames.size())},
                {fromUtf8(trZh("车次")), std::to_string(db.trainIndex.size())},
                {fromUtf8(trZh("加载")), loaded ? trZh("成功") : trZh("失败")},
            };
            if (!loaded) lines.push_back({fromUtf8(trZh("问题")), problem});
            std::cout << renderLabelled(lines);
        });
    }

    if (CLI::App* check = addCommand(
            app, globals, "check",
            tr("Check that a data folder holds a whole timetable; exit 1 when it is damaged"))) {
        check->add_option("DIR", checked, tr("Data folder (default: the one in use)"));
        check->callback([&globals] { runCheck(globals, checked); });
    }

    if (CLI::App* build =
            addCommand(app, globals, "build", tr("Compile a timetable source folder"))) {
        build
            ->add_option("SRC", source,
                         tr("Source folder (stations.tsv, trains.tsv, stops.tsv, ...)"))
            ->required();
        build->add_option("OUT", output, tr("Data folder to write"))->required();
        CLI::Option* pinyin = build->add_option("--pinyin", pinyinDictionary,
                                                fill(tr("Pinyin word list for pinyin.txt (default "
                                                        "%s; an empty value writes no pinyin.txt)"),
                                                     {defaultPinyinDictionary().string()}));
        build->callback([&globals, pinyin] {
            std::string error;
            CompileOptions options;
            bool skipped = false;
            options.pinyinSkipped = &skipped;
            if (pinyin->count() > 0) {
                // A word list named on the command line must be there.
                options.pinyinDictionary = pinyinDictionary;
                options.pinyinRequired = true;
            }
            if (!compileTimetable(source, output, error, options)) {
                std::cerr << "zelvan-cli build: " << error << "\n";
                globals.exitCode = kExitFailed;
                return;
            }
            if (skipped) {
                // The timetable works without it; the station fields then take codes and
                // characters only.
                std::cerr << "zelvan-cli build: "
                          << fill(tr("warning: no pinyin word list at %s (Debian package "
                                     "rime-data-pinyin-simp); pinyin.txt not written"),
                                  {options.pinyinDictionary.string()})
                          << "\n";
            }
            if (globals.json) {
                printJson({{"built", true}});
            }
        });
    }

    if (CLI::App* dump =
            addCommand(app, globals, "dump", tr("Write the database of --data as source files"))) {
        dump->add_option("OUT", output, tr("Source folder to write"))->required();
        dump->callback([&globals] {
            TimetableDb db;
            if (!openDatabase(globals, db, false)) return;  // a damaged timetable may be mended
            std::string error;
            if (!dumpTimetableTo(db, output, error)) {
                std::cerr << "zelvan-cli dump: " << error << "\n";
                globals.exitCode = kExitFailed;
            } else if (globals.json) {
                printJson({{"dumped", true}});
            }
        });
    }
}

}  // namespace zelvan::cli
