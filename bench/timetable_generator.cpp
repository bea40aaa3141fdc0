#include "timetable_generator.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <system_error>

#include "db/text.h"

namespace zelvan::bench {
namespace {

// splitmix64: small, fast, and the same sequence on every platform.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1 (0 when n <= 1).
    int below(int n) {
        return n <= 1 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(n));
    }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
    bool chance(double p) { return unit() < p; }

  private:
    std::uint64_t state_;
};

// Characters of place names with the initial of their reading: a station's code is the
// initials of its name, as users type them.
struct NameChar {
    char16_t ch;
    char initial;
};
constexpr NameChar kNameChars[] = {
    {u'安', 'A'}, {u'宝', 'B'}, {u'滨', 'B'}, {u'白', 'B'}, {u'包', 'B'}, {u'蚌', 'B'},
    {u'保', 'B'}, {u'本', 'B'}, {u'昌', 'C'}, {u'长', 'C'}, {u'城', 'C'}, {u'川', 'C'},
    {u'池', 'C'}, {u'承', 'C'}, {u'赤', 'C'}, {u'滁', 'C'}, {u'崇', 'C'}, {u'大', 'D'},
    {u'德', 'D'}, {u'都', 'D'}, {u'丹', 'D'}, {u'达', 'D'}, {u'定', 'D'}, {u'敦', 'D'},
    {u'鄂', 'E'}, {u'恩', 'E'}, {u'峨', 'E'}, {u'丰', 'F'}, {u'福', 'F'}, {u'阜', 'F'},
    {u'抚', 'F'}, {u'凤', 'F'}, {u'佛', 'F'}, {u'广', 'G'}, {u'贵', 'G'}, {u'桂', 'G'},
    {u'固', 'G'}, {u'赣', 'G'}, {u'高', 'G'}, {u'古', 'G'}, {u'关', 'G'}, {u'海', 'H'},
    {u'杭', 'H'}, {u'合', 'H'}, {u'河', 'H'}, {u'衡', 'H'}, {u'湖', 'H'}, {u'华', 'H'},
    {u'淮', 'H'}, {u'黄', 'H'}, {u'惠', 'H'}, {u'哈', 'H'}, {u'邯', 'H'}, {u'汉', 'H'},
    {u'鹤', 'H'}, {u'红', 'H'}, {u'怀', 'H'}, {u'吉', 'J'}, {u'济', 'J'}, {u'嘉', 'J'},
    {u'江', 'J'}, {u'金', 'J'}, {u'锦', 'J'}, {u'晋', 'J'}, {u'荆', 'J'}, {u'九', 'J'},
    {u'集', 'J'}, {u'建', 'J'}, {u'焦', 'J'}, {u'揭', 'J'}, {u'开', 'K'}, {u'昆', 'K'},
    {u'库', 'K'}, {u'喀', 'K'}, {u'兰', 'L'}, {u'廊', 'L'}, {u'乐', 'L'}, {u'丽', 'L'},
    {u'连', 'L'}, {u'辽', 'L'}, {u'临', 'L'}, {u'柳', 'L'}, {u'龙', 'L'}, {u'六', 'L'},
    {u'洛', 'L'}, {u'来', 'L'}, {u'莱', 'L'}, {u'梁', 'L'}, {u'林', 'L'}, {u'灵', 'L'},
    {u'隆', 'L'}, {u'鲁', 'L'}, {u'罗', 'L'}, {u'马', 'M'}, {u'茂', 'M'}, {u'梅', 'M'},
    {u'绵', 'M'}, {u'牡', 'M'}, {u'麻', 'M'}, {u'满', 'M'}, {u'蒙', 'M'}, {u'密', 'M'},
    {u'明', 'M'}, {u'宁', 'N'}, {u'内', 'N'}, {u'平', 'P'}, {u'莆', 'P'}, {u'攀', 'P'},
    {u'盘', 'P'}, {u'蓬', 'P'}, {u'齐', 'Q'}, {u'黔', 'Q'}, {u'秦', 'Q'}, {u'青', 'Q'},
    {u'清', 'Q'}, {u'泉', 'Q'}, {u'祁', 'Q'}, {u'启', 'Q'}, {u'曲', 'Q'}, {u'日', 'R'},
    {u'荣', 'R'}, {u'瑞', 'R'}, {u'饶', 'R'}, {u'仁', 'R'}, {u'汝', 'R'}, {u'三', 'S'},
    {u'沙', 'S'}, {u'山', 'S'}, {u'商', 'S'}, {u'上', 'S'}, {u'韶', 'S'}, {u'邵', 'S'},
    {u'深', 'S'}, {u'沈', 'S'}, {u'石', 'S'}, {u'寿', 'S'}, {u'双', 'S'}, {u'松', 'S'},
    {u'苏', 'S'}, {u'遂', 'S'}, {u'神', 'S'}, {u'十', 'S'}, {u'朔', 'S'}, {u'四', 'S'},
    {u'太', 'T'}, {u'泰', 'T'}, {u'唐', 'T'}, {u'天', 'T'}, {u'通', 'T'}, {u'铜', 'T'},
    {u'塔', 'T'}, {u'台', 'T'}, {u'桃', 'T'}, {u'滕', 'T'}, {u'铁', 'T'}, {u'同', 'T'},
    {u'图', 'T'}, {u'万', 'W'}, {u'威', 'W'}, {u'潍', 'W'}, {u'温', 'W'}, {u'文', 'W'},
    {u'乌', 'W'}, {u'无', 'W'}, {u'武', 'W'}, {u'瓦', 'W'}, {u'皖', 'W'}, {u'旺', 'W'},
    {u'卫', 'W'}, {u'渭', 'W'}, {u'梧', 'W'}, {u'吴', 'W'}, {u'五', 'W'}, {u'厦', 'X'},
    {u'仙', 'X'}, {u'咸', 'X'}, {u'湘', 'X'}, {u'襄', 'X'}, {u'孝', 'X'}, {u'新', 'X'},
    {u'信', 'X'}, {u'兴', 'X'}, {u'徐', 'X'}, {u'许', 'X'}, {u'宣', 'X'}, {u'夏', 'X'},
    {u'萧', 'X'}, {u'忻', 'X'}, {u'秀', 'X'}, {u'烟', 'Y'}, {u'延', 'Y'}, {u'盐', 'Y'},
    {u'阳', 'Y'}, {u'扬', 'Y'}, {u'宜', 'Y'}, {u'义', 'Y'}, {u'益', 'Y'}, {u'营', 'Y'},
    {u'永', 'Y'}, {u'榆', 'Y'}, {u'玉', 'Y'}, {u'岳', 'Y'}, {u'云', 'Y'}, {u'运', 'Y'},
    {u'雅', 'Y'}, {u'沿', 'Y'}, {u'伊', 'Y'}, {u'鹰', 'Y'}, {u'余', 'Y'}, {u'元', 'Y'},
    {u'枣', 'Z'}, {u'湛', 'Z'}, {u'张', 'Z'}, {u'漳', 'Z'}, {u'昭', 'Z'}, {u'肇', 'Z'},
    {u'镇', 'Z'}, {u'郑', 'Z'}, {u'芝', 'Z'}, {u'中', 'Z'}, {u'舟', 'Z'}, {u'周', 'Z'},
    {u'株', 'Z'}, {u'珠', 'Z'}, {u'驻', 'Z'}, {u'淄', 'Z'}, {u'遵', 'Z'}, {u'资', 'Z'},
};
// The direction suffixes of a city's further stations. They also open names (南昌, 北海) but
// never end a city's own name, so a suffixed name cannot collide with a city name.
constexpr NameChar kDirections[] = {{u'东', 'D'}, {u'西', 'X'}, {u'南', 'N'}, {u'北', 'B'}};

// A station and the code typed for it.
struct Station {
    std::u16string name;
    std::string code;
};

// Unique city names of two or (now and then) three characters.
class Names {
  public:
    explicit Names(Random& random) : random_(random) {}

    Station city() {
        constexpr int charCount = static_cast<int>(std::size(kNameChars));
        for (;;) {
            Station s;
            // One name in twelve opens with a direction, as 南昌 or 北海 do.
            const NameChar& first = random_.below(12) == 0 ? kDirections[random_.below(4)]
                                                           : kNameChars[random_.below(charCount)];
            s.name.push_back(first.ch);
            s.code.push_back(first.initial);
            const int length = random_.below(8) == 0 ? 3 : 2;
            for (int i = 1; i < length; ++i) {
                const NameChar& c = kNameChars[random_.below(charCount)];
                s.name.push_back(c.ch);
                s.code.push_back(c.initial);
            }
            if (used_.insert(s.name).second) return s;
        }
    }

  private:
    Random& random_;
    std::set<std::u16string> used_;
};

// A station on a line: its position along the line in km, and whether it is a hub's station.
struct Node {
    int station = 0;
    double km = 0;
    bool hub = false;
};

enum class LineKind { Conventional, HighSpeed, Branch };

struct Line {
    LineKind kind = LineKind::Conventional;
    std::vector<Node> nodes;  // km ascending from 0
};

struct Point {
    double x = 0;
    double y = 0;
};

double distance(Point a, Point b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y));
}

struct Hub {
    Point at;
    int conventional = 0;  // station of the conventional lines
    int highSpeed = 0;     // station of the high-speed lines (often a suffixed one)
};

// Track between two neighbouring hubs with its intermediate stations, km counted from `a`.
struct Corridor {
    int a = 0;
    int b = 0;
    double km = 0;
    bool highSpeed = false;
    std::vector<Node> conventional;
    std::vector<Node> fast;
};

// The country at scale 1: 4,000 km by 3,000 km, as wide as the national network.
// At a smaller scale the country shrinks with the number of stations, so that the density of
// hubs, stations and trains stays the same.
constexpr double kWidthKm = 4000;
constexpr double kHeightKm = 3000;
// Longest trunk line; with branches a run stays far below the format's 16,383 km.
constexpr double kMaxLineKm = 3200;
constexpr int kMaxFormatKm = 16383;
// Trains call at nearly every hub they pass.
constexpr double kHubStopChance = 0.93;

enum class TrainType { G, D, C, Z, T, K, Plain };

struct TypeProfile {
    TrainType type;
    double share;        // of all trains
    const char* prefix;  // of the train number
    int low;             // number range at scale 1
    int high;
    double speedKmh;      // average running speed between stops
    double stopChance;    // chance to call at a station that is no hub
    double doubleChance;  // chance of a second number ("T145/T148")
};
constexpr TypeProfile kProfiles[] = {
    {TrainType::G, 0.32, "G", 1, 9999, 270, 0.55, 0},
    {TrainType::D, 0.20, "D", 1, 9999, 190, 0.75, 0},
    {TrainType::C, 0.07, "C", 1001, 9999, 170, 0.95, 0},
    {TrainType::Z, 0.02, "Z", 1, 599, 130, 0.2, 0.1},
    {TrainType::T, 0.05, "T", 1, 999, 105, 0.45, 0.15},
    {TrainType::K, 0.21, "K", 1, 9999, 80, 0.80, 0.15},
    {TrainType::Plain, 0.13, "", 1001, 8999, 55, 1.0, 0.1},
};

// A stretch of track a train runs: stations in running order and km from its first one.
struct Route {
    std::vector<Node> nodes;
};

class Generator {
  public:
    explicit Generator(const GeneratorOptions& options)
        : options_(options),
          random_(0x5A17A9ull * 1000003ull + options.seed),
          names_(random_),
          stationTarget_(stationCountFor(options.scale)),
          trainTarget_(trainCountFor(options.scale)) {}

    TimetableSource run() {
        placeHubs();
        joinHubs();
        fillCorridors();
        buildTrunkLines();
        buildBranches();
        indexLines();
        TimetableSource source;
        addStations(source);
        addTrains(source);
        source.rules = {u"1 1", u"2 1", u"2 2", u"7 31", u"7 96", u"3 1"};
        source.hasRules = true;
        source.version = "2026.12 bench seed " + std::to_string(options_.seed) + "\n";
        source.hasVersion = true;
        return source;
    }

  private:
    int addStation(Station s) {
        stations_.push_back(std::move(s));
        return static_cast<int>(stations_.size()) - 1;
    }

    // Hub cities, at least 180 km apart where the map allows it.
    void placeHubs() {
        const int count = std::max(6, static_cast<int>(std::lround(56 * options_.scale)));
        const double side = std::sqrt(std::max(options_.scale, 0.01));
        for (int i = 0; i < count; ++i) {
            Point p;
            for (int attempt = 0; attempt < 200; ++attempt) {
                p = {random_.range(0, kWidthKm * side), random_.range(0, kHeightKm * side)};
                bool clear = true;
                for (const Hub& h : hubs_) clear = clear && distance(h.at, p) >= 180;
                if (clear) break;
            }
            Hub hub;
            hub.at = p;
            Station city = names_.city();
            hub.conventional = addStation(city);
            hub.highSpeed = hub.conventional;
            // Half the hubs have a station of their own for the high-speed lines (X南, X东 ...).
            if (random_.chance(0.5)) {
                const NameChar& d = kDirections[random_.below(4)];
                hub.highSpeed = addStation({city.name + d.ch, city.code + d.initial});
            }
            hubs_.push_back(hub);
        }
    }

    // Each hub to its three nearest hubs, then the shortest links between what is still apart.
    void joinHubs() {
        const int n = static_cast<int>(hubs_.size());
        std::set<std::pair<int, int>> links;
        for (int i = 0; i < n; ++i) {
            std::vector<std::pair<double, int>> near;
            for (int j = 0; j < n; ++j) {
                if (j != i) near.push_back({distance(hubs_[i].at, hubs_[j].at), j});
            }
            std::sort(near.begin(), near.end());
            for (int k = 0; k < 3 && k < static_cast<int>(near.size()); ++k) {
                links.insert({std::min(i, near[k].second), std::max(i, near[k].second)});
            }
        }
        std::vector<int> group(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) group[i] = i;
        auto root = [&](int i) {
            while (group[i] != i) i = group[i] = group[group[i]];
            return i;
        };
        for (auto [a, b] : links) group[root(a)] = root(b);
        for (;;) {
            double best = 0;
            std::pair<int, int> bestLink{-1, -1};
            for (int i = 0; i < n; ++i) {
                for (int j = i + 1; j < n; ++j) {
                    if (root(i) == root(j)) continue;
                    double d = distance(hubs_[i].at, hubs_[j].at);
                    if (bestLink.first < 0 || d < best) best = d, bestLink = {i, j};
                }
            }
            if (bestLink.first < 0) break;
            links.insert(bestLink);
            group[root(bestLink.first)] = root(bestLink.second);
        }
        adjacency_.assign(static_cast<std::size_t>(n), {});
        for (auto [a, b] : links) {
            Corridor c;
            c.a = a;
            c.b = b;
            c.km = std::round(distance(hubs_[a].at, hubs_[b].at) * 1.15);
            c.highSpeed = random_.chance(0.85);
            adjacency_[a].push_back(static_cast<int>(corridors_.size()));
            adjacency_[b].push_back(static_cast<int>(corridors_.size()));
            corridors_.push_back(c);
        }
    }

    // Intermediate stations: the conventional track takes almost half of all stations, the
    // high-speed track a fifth; a third of the high-speed stations are suffixed twins of a
    // conventional station nearby (X东 beside X).
    void fillCorridors() {
        double conventionalKm = 0;
        double fastKm = 0;
        for (const Corridor& c : corridors_) {
            conventionalKm += c.km;
            if (c.highSpeed) fastKm += c.km;
        }
        const int budget = std::max(0, stationTarget_ - static_cast<int>(stations_.size()));
        const double conventionalSpacing = std::max(8.0, conventionalKm / (0.45 * budget + 1));
        const double fastSpacing = std::max(15.0, fastKm / (0.22 * budget + 1));
        for (Corridor& c : corridors_) {
            auto fill = [&](double spacing, std::vector<Node>& nodes, bool fast) {
                const int count = std::max(0, static_cast<int>(std::lround(c.km / spacing)) - 1);
                for (int i = 1; i <= count; ++i) {
                    if (static_cast<int>(stations_.size()) >= stationTarget_) return;
                    double km = c.km * (i + random_.range(-0.3, 0.3)) / (count + 1);
                    Station s;
                    const Node* twin = nullptr;
                    if (fast && random_.chance(0.33)) {
                        for (const Node& n : c.conventional) {
                            if (std::abs(n.km - km) < spacing && !twinned_.count(n.station)) {
                                twin = &n;
                                break;
                            }
                        }
                    }
                    if (twin) {
                        twinned_.insert(twin->station);
                        const NameChar& d = kDirections[random_.below(4)];
                        s = {stations_[twin->station].name + d.ch,
                             stations_[twin->station].code + d.initial};
                    } else {
                        s = names_.city();
                    }
                    nodes.push_back({addStation(s), std::round(km), false});
                }
            };
            fill(conventionalSpacing, c.conventional, false);
            if (c.highSpeed) fill(fastSpacing, c.fast, true);
        }
    }

    // The nodes of a line through the given hubs, km counted from the first.
    Line lineThrough(const std::vector<int>& path, LineKind kind) {
        Line line;
        line.kind = kind;
        const bool fast = kind == LineKind::HighSpeed;
        double base = 0;
        auto hubStation = [&](int h) { return fast ? hubs_[h].highSpeed : hubs_[h].conventional; };
        line.nodes.push_back({hubStation(path[0]), 0, true});
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            const Corridor& c = corridors_[corridorBetween(path[i], path[i + 1])];
            const std::vector<Node>& between = fast ? c.fast : c.conventional;
            const bool ahead = c.a == path[i];
            for (std::size_t k = 0; k < between.size(); ++k) {
                const Node& n = ahead ? between[k] : between[between.size() - 1 - k];
                line.nodes.push_back({n.station, base + (ahead ? n.km : c.km - n.km), false});
            }
            base += c.km;
            line.nodes.push_back({hubStation(path[i + 1]), base, true});
        }
        return line;
    }

    int corridorBetween(int a, int b) const {
        for (int c : adjacency_[a]) {
            if ((corridors_[c].a == a && corridors_[c].b == b) ||
                (corridors_[c].a == b && corridors_[c].b == a)) {
                return c;
            }
        }
        return -1;
    }

    // A path of hubs that keeps roughly straight on, as trunk lines do.
    std::vector<int> walk(int start, int hubCount, bool fast) {
        std::vector<int> path{start};
        double km = 0;
        while (static_cast<int>(path.size()) < hubCount) {
            const int here = path.back();
            std::vector<std::pair<double, int>> next;  // -straightness, hub
            for (int c : adjacency_[here]) {
                const Corridor& corridor = corridors_[c];
                if (fast && !corridor.highSpeed) continue;
                const int there = corridor.a == here ? corridor.b : corridor.a;
                if (std::find(path.begin(), path.end(), there) != path.end()) continue;
                if (km + corridor.km > kMaxLineKm) continue;
                double straight = 1;
                if (path.size() >= 2) {
                    Point p = hubs_[path[path.size() - 2]].at, q = hubs_[here].at,
                          r = hubs_[there].at;
                    double ux = q.x - p.x, uy = q.y - p.y, vx = r.x - q.x, vy = r.y - q.y;
                    straight = (ux * vx + uy * vy) /
                               (std::sqrt(ux * ux + uy * uy) * std::sqrt(vx * vx + vy * vy));
                    if (straight < 0.25) continue;
                }
                next.push_back({-straight, there});
            }
            if (next.empty()) break;
            std::sort(next.begin(), next.end());
            const int there = path.size() >= 2
                                  ? next[random_.below(std::min<int>(2, next.size()))].second
                                  : next[random_.below(static_cast<int>(next.size()))].second;
            km += corridors_[corridorBetween(here, there)].km;
            path.push_back(there);
        }
        return path;
    }

    void buildTrunkLines() {
        const int hubCount = static_cast<int>(hubs_.size());
        for (int network = 0; network < 2; ++network) {
            const bool fast = network == 1;
            std::set<int> covered;
            const int lines = static_cast<int>(std::lround(hubCount * (fast ? 1.0 : 1.2)));
            for (int i = 0; i < lines; ++i) {
                std::vector<int> path = walk(random_.below(hubCount), random_.between(3, 8), fast);
                if (path.size() < 2) continue;
                for (std::size_t k = 0; k + 1 < path.size(); ++k) {
                    covered.insert(corridorBetween(path[k], path[k + 1]));
                }
                lines_.push_back(
                    lineThrough(path, fast ? LineKind::HighSpeed : LineKind::Conventional));
            }
            // Every stretch of track carries some line.
            for (int c = 0; c < static_cast<int>(corridors_.size()); ++c) {
                if (covered.count(c) || (fast && !corridors_[c].highSpeed)) continue;
                lines_.push_back(lineThrough({corridors_[c].a, corridors_[c].b},
                                             fast ? LineKind::HighSpeed : LineKind::Conventional));
            }
        }
    }

    // Branch lines off the conventional network (and off other branches) until every station
    // of the target exists.
    void buildBranches() {
        std::vector<int> anchors;
        for (const Line& line : lines_) {
            if (line.kind != LineKind::Conventional) continue;
            for (const Node& n : line.nodes) anchors.push_back(n.station);
        }
        while (static_cast<int>(stations_.size()) < stationTarget_ && !anchors.empty()) {
            Line branch;
            branch.kind = LineKind::Branch;
            branch.nodes.push_back(
                {anchors[random_.below(static_cast<int>(anchors.size()))], 0, false});
            const int length = std::min(random_.between(6, 40),
                                        stationTarget_ - static_cast<int>(stations_.size()));
            double km = 0;
            for (int i = 0; i < length; ++i) {
                km += std::round(random_.range(12, 35));
                const int s = addStation(names_.city());
                branch.nodes.push_back({s, km, false});
                anchors.push_back(s);
            }
            lines_.push_back(std::move(branch));
        }
    }

    void indexLines() {
        linesAt_.assign(stations_.size(), {});
        for (int l = 0; l < static_cast<int>(lines_.size()); ++l) {
            const std::vector<Node>& nodes = lines_[l].nodes;
            for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
                linesAt_[nodes[i].station].push_back({l, i});
            }
            if (lines_[l].kind == LineKind::HighSpeed) fastLines_.push_back(l);
            if (lines_[l].kind == LineKind::Conventional) conventionalLines_.push_back(l);
            if (lines_[l].kind == LineKind::Branch) branchLines_.push_back(l);
        }
    }

    // Station order in s.i is not the order of construction: hubs spread over all the files.
    void addStations(TimetableSource& source) {
        order_.resize(stations_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int>(i);
        for (std::size_t i = order_.size(); i > 1; --i) {
            std::swap(order_[i - 1],
                      order_[static_cast<std::size_t>(random_.below(static_cast<int>(i)))]);
        }
        for (int s : order_) {
            SourceStation station;
            station.name = stations_[s].name;
            source.stations.push_back(station);
            source.codes.push_back({fromUtf8(stations_[s].code), stations_[s].name});
        }
        source.hasCodes = true;
    }

    // Nodes from..to of a line (either direction), km from `from`.
    static Route stretch(const Line& line, int from, int to) {
        Route route;
        const int step = from <= to ? 1 : -1;
        for (int i = from;; i += step) {
            Node n = line.nodes[i];
            n.km = std::abs(n.km - line.nodes[from].km);
            route.nodes.push_back(n);
            if (i == to) break;
        }
        return route;
    }

    int pickLine(const std::vector<int>& lines) {
        // Longer lines carry more trains: weight by the number of stations.
        long long total = 0;
        for (int l : lines) total += static_cast<long long>(lines_[l].nodes.size());
        long long r = static_cast<long long>(random_.next() % static_cast<std::uint64_t>(total));
        for (int l : lines) {
            r -= static_cast<long long>(lines_[l].nodes.size());
            if (r < 0) return l;
        }
        return lines.back();
    }

    // Hub to hub along a trunk line, at most `maxHubs` hubs apart; now and then one end lies
    // at a smaller station.
    Route hubToHub(const std::vector<int>& lines, int maxHubs) {
        const Line& line = lines_[pickLine(lines)];
        std::vector<int> hubsAt;
        for (int i = 0; i < static_cast<int>(line.nodes.size()); ++i) {
            if (line.nodes[i].hub) hubsAt.push_back(i);
        }
        const int n = static_cast<int>(hubsAt.size());
        int a = random_.below(n);
        int b = a;
        while (b == a) b = std::clamp(a + random_.between(-maxHubs, maxHubs), 0, n - 1);
        int from = hubsAt[a];
        int to = hubsAt[b];
        if (random_.chance(0.12)) {
            // Ends short of the hub, somewhere on the last stretch.
            const int inner = to > from ? hubsAt[b - 1] : hubsAt[b + 1];
            if (std::abs(to - inner) > 1)
                to = random_.between(std::min(inner, to) + 1, std::max(inner, to) - 1);
            if (to == from) to = hubsAt[b];
        }
        return stretch(line, from, to);
    }

    // From a hub along one of `lines` for at most `maxKm`.
    Route shortFromHub(const std::vector<int>& lines, double maxKm) {
        const Line& line = lines_[pickLine(lines)];
        std::vector<int> hubsAt;
        for (int i = 0; i < static_cast<int>(line.nodes.size()); ++i) {
            if (line.nodes[i].hub) hubsAt.push_back(i);
        }
        const int from = hubsAt[random_.below(static_cast<int>(hubsAt.size()))];
        int step = random_.chance(0.5) ? 1 : -1;
        if (from + step < 0 || from + step >= static_cast<int>(line.nodes.size())) step = -step;
        int to = from + step;
        while (to + step >= 0 && to + step < static_cast<int>(line.nodes.size()) &&
               std::abs(line.nodes[to + step].km - line.nodes[from].km) <= maxKm) {
            to += step;
        }
        Route r = stretch(line, from, to);
        return random_.chance(0.5) ? r : reversed(r);
    }

    static Route reversed(const Route& r) {
        Route out;
        const double total = r.nodes.back().km;
        for (auto it = r.nodes.rbegin(); it != r.nodes.rend(); ++it) {
            Node n = *it;
            n.km = total - n.km;
            out.nodes.push_back(n);
        }
        return out;
    }

    // A stopping service over a few dozen stations of one line.
    Route local(const std::vector<int>& lines, int maxNodes, double maxKm) {
        const Line& line = lines_[pickLine(lines)];
        const int n = static_cast<int>(line.nodes.size());
        const int from = random_.below(n);
        const int length = random_.between(maxNodes / 4, maxNodes);
        int to = from;
        const int step = (from + 1 < n && (from == 0 || random_.chance(0.5))) ? 1 : -1;
        while (to - from != step * length && to + step >= 0 && to + step < n &&
               std::abs(line.nodes[to + step].km - line.nodes[from].km) <= maxKm) {
            to += step;
        }
        if (to == from) to = from + step;
        return stretch(line, from, to);
    }

    // From a station of a branch to its junction and on along another line to a hub or the
    // line's end: how a fast train reaches a provincial town.
    Route branchToTrunk() {
        const Line& branch = lines_[pickLine(branchLines_)];
        const int start = random_.between(1, static_cast<int>(branch.nodes.size()) - 1);
        Route route = stretch(branch, start, 0);
        const int junction = branch.nodes[0].station;
        std::vector<std::pair<int, int>> onward;
        for (auto [l, i] : linesAt_[junction]) {
            if (&lines_[l] != &branch && lines_[l].kind != LineKind::HighSpeed) {
                onward.push_back({l, i});
            }
        }
        if (onward.empty()) return route;
        auto [l, i] = onward[random_.below(static_cast<int>(onward.size()))];
        const Line& line = lines_[l];
        const int n = static_cast<int>(line.nodes.size());
        int step = random_.chance(0.5) ? 1 : -1;
        if (i + step < 0 || i + step >= n) step = -step;
        if (i + step < 0 || i + step >= n) return route;
        int hubsLeft = random_.between(1, 3);
        const double base = route.nodes.back().km;
        for (int k = i + step; k >= 0 && k < n; k += step) {
            Node node = line.nodes[k];
            node.km = base + std::abs(node.km - line.nodes[i].km);
            route.nodes.push_back(node);
            if (node.hub && --hubsLeft == 0) break;
        }
        return random_.chance(0.5) ? route : reversed(route);
    }

    Route routeFor(TrainType type) {
        // A tiny network may lack high-speed track or branches: trains then use what there is.
        const std::vector<int>& fast = fastLines_.empty() ? conventionalLines_ : fastLines_;
        const std::vector<int>& branches = branchLines_.empty() ? conventionalLines_ : branchLines_;
        switch (type) {
            case TrainType::G:
                return hubToHub(fast, 5);
            case TrainType::D:
                return random_.chance(0.8) ? hubToHub(fast, 3) : shortFromHub(fast, 400);
            case TrainType::C:
                return shortFromHub(fast, random_.range(150, 400));
            case TrainType::Z:
                return hubToHub(conventionalLines_, 7);
            case TrainType::T:
                return hubToHub(conventionalLines_, 5);
            case TrainType::K:
                if (branchLines_.empty() || random_.chance(0.5)) {
                    return hubToHub(conventionalLines_, 4);
                }
                return branchToTrunk();
            case TrainType::Plain:
                if (!branchLines_.empty() && random_.chance(0.4)) return branchToTrunk();
                return random_.chance(0.4) ? local(branches, 40, 500)
                                           : local(conventionalLines_, 40, 450);
        }
        return {};
    }

    // A train number not given yet: odd numbers run one way, even ones the other.
    std::u16string number(const TypeProfile& p, bool odd, bool twoNumbers) {
        const int span = static_cast<int>((p.high - p.low) * std::max(1.0, options_.scale));
        for (int attempt = 0;; ++attempt) {
            int n = p.low + random_.below(span + 1);
            if (attempt < 1000 && (n % 2 == 1) != odd) n = n + 1 > p.low + span ? n - 1 : n + 1;
            if (attempt >= 1000) n = p.low + span + attempt;  // the range is full: go beyond
            const int m = n + (n % 2 == 1 ? 3 : 1);
            const std::string first = p.prefix + std::to_string(n);
            const std::string second = p.prefix + std::to_string(m);
            if (usedNumbers_.count(first) || (twoNumbers && usedNumbers_.count(second))) continue;
            usedNumbers_.insert(first);
            if (!twoNumbers) return fromUtf8(first);
            usedNumbers_.insert(second);
            return fromUtf8(first + "/" + second);
        }
    }

    void addTrains(TimetableSource& source) {
        std::vector<int> counts;
        int assigned = 0;
        for (const TypeProfile& p : kProfiles) {
            counts.push_back(static_cast<int>(std::lround(p.share * trainTarget_)));
            assigned += counts.back();
        }
        counts[0] += trainTarget_ - assigned;  // rounding goes to the G trains
        // G101 always exists: the benchmarks ask for it.
        usedNumbers_.insert("G101");
        bool g101 = false;
        std::vector<std::pair<const TypeProfile*, Route>> runs;
        for (std::size_t k = 0; k < std::size(kProfiles); ++k) {
            const TypeProfile& p = kProfiles[k];
            for (int i = 0; i < counts[k]; ++i) {
                Route route = routeFor(p.type);
                if (route.nodes.size() < 2) route = hubToHub(conventionalLines_, 3);
                const bool odd = random_.chance(0.5);
                SourceTrain train;
                if (p.type == TrainType::G && !g101) {
                    train.name = u"G101";
                    g101 = true;
                } else {
                    train.name = number(p, odd, random_.chance(p.doubleChance));
                }
                describe(p, train);
                source.trains.push_back(std::move(train));
                runs.push_back({&p, std::move(route)});
            }
        }
        const double boost = stopBoost(runs);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            addStops(*runs[i].first, runs[i].second, boost, source.trains[i]);
        }
    }

    // The factor on every type's chance to call at a small station that makes the expected
    // number of stops about 15.4 per train, as on the national network (200,000 / 13,000).
    double stopBoost(const std::vector<std::pair<const TypeProfile*, Route>>& runs) const {
        auto expected = [&](double boost) {
            double stops = 0;
            for (const auto& [p, route] : runs) {
                stops += 2;
                for (std::size_t i = 1; i + 1 < route.nodes.size(); ++i) {
                    stops +=
                        route.nodes[i].hub ? kHubStopChance : std::min(1.0, boost * p->stopChance);
                }
            }
            return stops;
        };
        const double target = 15.4 * static_cast<double>(runs.size());
        double low = 0.1;
        double high = 20;
        for (int i = 0; i < 40; ++i) {
            const double mid = (low + high) / 2;
            (expected(mid) < target ? low : high) = mid;
        }
        return low;
    }

    // Kind code, fare factor, validity and running rule as the numbering implies.
    void describe(const TypeProfile& p, SourceTrain& train) {
        switch (p.type) {
            case TrainType::G:
                train.kindCode = 0x06;
                break;
            case TrainType::D:
                train.kindCode = random_.chance(0.5) ? 0x03 : 0x04;
                break;
            case TrainType::C:
                train.kindCode = 0x04;
                break;
            case TrainType::Z:
                train.kindCode = 0x01, train.fareFactor = 5;
                break;
            case TrainType::T:
                train.kindCode = random_.chance(0.6) ? 0x21 : 0x01;
                train.fareFactor = train.kindCode == 0x01 ? 3 : 0;
                break;
            case TrainType::K:
                train.kindCode = random_.chance(0.7) ? 0x20 : 0x30;
                break;
            case TrainType::Plain: {
                // 1xxx-5xxx are stopping fast trains, 6xxx and up the slow ones.
                const bool slow = train.name.size() >= 4 && train.name[0] >= u'6';
                train.kindCode = slow ? 0x32 : (random_.chance(0.5) ? 0x20 : 0x30);
                break;
            }
        }
        const double v = random_.unit();
        train.validFrom = 20260101;
        train.validUntil = 20261231;
        if (v < 0.05) {
            train.validFrom = 20261101;
            train.validUntil = 20270430;
        } else if (v < 0.10) {
            train.validUntil = 20260630;
        }
        const double r = random_.unit();
        train.ruleNumber = r < 0.88 ? 0 : 1 + static_cast<int>((r - 0.88) / 0.12 * 5);
    }

    void addStops(const TypeProfile& p, const Route& route, double boost, SourceTrain& train) {
        // Minutes since midnight of the first departure.
        int clock = p.type == TrainType::Z || p.type == TrainType::T || p.type == TrainType::K
                        ? random_.between(0, 1439)
                        : random_.between(5 * 60, 22 * 60);
        const int last = static_cast<int>(route.nodes.size()) - 1;
        double previousKm = 0;
        for (int i = 0; i <= last; ++i) {
            const Node& n = route.nodes[i];
            const bool ends = i == 0 || i == last;
            if (!ends && !random_.chance(n.hub ? kHubStopChance : boost * p.stopChance)) continue;
            if (i > 0) {
                const double legKm = n.km - previousKm;
                clock += std::max(1, static_cast<int>(std::lround(legKm / p.speedKmh * 60)) + 2);
            }
            SourceStop stop;
            stop.station = stations_[n.station].name;
            stop.arrivalHour = clock / 60 % 24;
            stop.arrivalMinute = clock % 60;
            if (!ends) {
                const bool slow = p.type == TrainType::Z || p.type == TrainType::T;
                stop.dwellMinutes = n.hub ? random_.between(slow ? 6 : 3, slow ? 20 : 10)
                                          : random_.between(1, slow ? 5 : 3);
            }
            stop.distanceKm = std::min(kMaxFormatKm, static_cast<int>(std::lround(n.km)));
            clock += stop.dwellMinutes;
            previousKm = n.km;
            train.stops.push_back(stop);
        }
    }

    GeneratorOptions options_;
    Random random_;
    Names names_;
    int stationTarget_;
    int trainTarget_;
    std::vector<Station> stations_;  // in order of construction
    std::vector<int> order_;         // s.i position -> station of construction
    std::vector<Hub> hubs_;
    std::vector<Corridor> corridors_;
    std::vector<std::vector<int>> adjacency_;  // hub -> corridors
    std::set<int> twinned_;                    // conventional stations with a suffixed twin
    std::vector<Line> lines_;
    std::vector<std::vector<std::pair<int, int>>> linesAt_;  // station -> (line, node)
    std::vector<int> fastLines_;
    std::vector<int> conventionalLines_;
    std::vector<int> branchLines_;
    std::set<std::string> usedNumbers_;
};

}  // namespace

TimetableSource sideBySide(const TimetableSource& source, int copies) {
    TimetableSource out = source;
    const std::size_t stations = source.stations.size();
    out.stations.reserve(stations * static_cast<std::size_t>(copies));
    out.trains.reserve(source.trains.size() * static_cast<std::size_t>(copies));
    for (int copy = 2; copy <= copies; ++copy) {
        const std::u16string mark = fromUtf8(std::to_string(copy));
        for (const SourceStation& station : source.stations) {
            SourceStation s = station;
            s.name += mark;
            for (std::u16string& train : s.trains) train += u"-" + mark;
            out.stations.push_back(std::move(s));
        }
        for (const SourceTrain& train : source.trains) {
            SourceTrain t = train;
            t.name += u"-" + mark;
            for (SourceStop& stop : t.stops) stop.station += mark;
            out.trains.push_back(std::move(t));
        }
        for (const SourceCode& code : source.codes) {
            out.codes.push_back({code.code + mark, code.name + mark, code.line});
        }
    }
    return out;
}

int stationCountFor(double scale) {
    return std::clamp(static_cast<int>(std::lround(3300 * scale)), 60, 16383);
}

int trainCountFor(double scale) {
    return std::clamp(static_cast<int>(std::lround(13000 * scale)), 100, 16383);
}

TimetableSource generateTimetable(const GeneratorOptions& options) {
    return Generator(options).run();
}

bool writeGeneratedTimetable(const GeneratorOptions& options,
                             const std::filesystem::path& dataFolder, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dataFolder, ec);
    if (ec) {
        error = dataFolder.string() + ": " + ec.message();
        return false;
    }
    return writeDataFiles(generateTimetable(options), dataFolder, error);
}

TimetableStats timetableStats(const TimetableSource& source, std::size_t busiestCount) {
    TimetableStats stats;
    stats.stations = static_cast<int>(source.stations.size());
    stats.trains = static_cast<int>(source.trains.size());
    std::map<std::u16string, std::set<const SourceTrain*>> trainsAt;
    for (const SourceTrain& t : source.trains) {
        stats.stops += static_cast<long long>(t.stops.size());
        stats.maxStopsPerTrain = std::max(stats.maxStopsPerTrain, static_cast<int>(t.stops.size()));
        for (const SourceStop& s : t.stops) {
            stats.maxDistanceKm = std::max(stats.maxDistanceKm, s.distanceKm);
            trainsAt[s.station].insert(&t);
        }
    }
    for (const auto& [name, trains] : trainsAt) {
        stats.busiest.push_back({name, static_cast<int>(trains.size())});
        if (trains.size() >= 600) ++stats.stationsWith600Trains;
    }
    std::stable_sort(stats.busiest.begin(), stats.busiest.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    if (stats.busiest.size() > busiestCount) stats.busiest.resize(busiestCount);
    return stats;
}

}  // namespace zelvan::bench
