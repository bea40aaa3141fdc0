// Synthetic timetables of national size for the benchmarks: hub cities joined by trunk lines,
// branch lines off them, and trains that run contiguous stretches of those lines, so that the
// hubs share many trains as they do on a real network. The same options give the same
// timetable on every machine (own random numbers, no library distributions).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "compiler/timetable_source.h"

namespace zelvan::bench {

struct GeneratorOptions {
    std::uint32_t seed = 1;
    // 1.0: 3,300 stations, 13,000 trains, about 200,000 stops. Counts grow linearly with it, up
    // to the format's 16,383 stations and trains.
    double scale = 1.0;
};

// `copies` networks side by side in one timetable: the first as `source`, each further one with
// its station names and codes followed by its number ("北京2", "BJ2") and its train numbers by
// "-" and its number ("G101-2"). Questions about the first network answer alike in every
// copy's timetable, whatever its size: a timetable of two million trains from national ones.
TimetableSource sideBySide(const TimetableSource& source, int copies);

// The network's size at a scale: what the generator aims for.
int stationCountFor(double scale);
int trainCountFor(double scale);

// A complete source timetable: stations, trains with their stops, codes for every station,
// running rules and a version. Every limit of the binary formats holds.
TimetableSource generateTimetable(const GeneratorOptions& options);

// generateTimetable + writeDataFiles into `dataFolder` (created when missing).
bool writeGeneratedTimetable(const GeneratorOptions& options,
                             const std::filesystem::path& dataFolder, std::string& error);

// Counts of a source timetable, for the generator's report.
struct TimetableStats {
    int stations = 0;
    int trains = 0;
    long long stops = 0;
    int maxStopsPerTrain = 0;
    int maxDistanceKm = 0;
    // Station names with the number of trains that call there, busiest first.
    std::vector<std::pair<std::u16string, int>> busiest;
    int stationsWith600Trains = 0;
};
TimetableStats timetableStats(const TimetableSource& source, std::size_t busiestCount = 10);

}  // namespace zelvan::bench
