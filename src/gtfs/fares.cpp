// Fares: fare_attributes.txt, each fare's price, then fare_rules.txt, its rules, as the x.fares
// table (a fare's lines together).
#include <algorithm>

#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {
namespace {

bool validPrice(const std::string& price) {
    if (price.empty() || price.size() > 15 || price.front() == '.') return false;
    int points = 0;
    for (char c : price) {
        if (c == '.') {
            ++points;
        } else if (c < '0' || c > '9') {
            return false;
        }
    }
    return points <= 1 && price.back() != '.';
}

bool validCurrency(const std::string& currency) {
    return currency.size() == 3 && std::all_of(currency.begin(), currency.end(),
                                               [](char c) { return c >= 'A' && c <= 'Z'; });
}

}  // namespace

bool readFares(FeedReader& reader, ParsedFeed& feed, Network& network) {
    Table t;
    struct Fare {
        std::string id, price, currency;
        std::vector<std::string> rules;  // route, origin, destination, contains
    };
    std::vector<Fare> fares;
    std::unordered_map<std::string, std::size_t> byId;
    std::set<std::string> leftOut;  // fares of agencies --agency left out
    bool ok = reader.walk(
        "fare_attributes.txt", {"fare_id", "price", "currency_type"}, t, [&](const CsvRow& r) {
            Fare fare;
            fare.id = t.field(r, "fare_id");
            fare.price = t.field(r, "price");
            fare.currency = t.field(r, "currency_type");
            if (fare.id.empty()) {
                reader.error() = at(t.file, r.line) + "a fare without a fare_id";
                return false;
            }
            if (!validPrice(fare.price) || !validCurrency(fare.currency)) {
                reader.error() = at(t.file, r.line) + "fare " + fare.id +
                                 ": price or currency_type is not valid";
                return false;
            }
            const std::string agency(t.field(r, "agency_id"));
            if (!agency.empty() && feed.agencies.count(agency) == 0 &&
                !(feed.agencies.size() == 1 && feed.agencies.count("") != 0)) {
                reader.drop("fares of agencies left out");
                leftOut.insert(fare.id);
                return true;
            }
            if (!byId.emplace(fare.id, fares.size()).second) {
                reader.error() = at(t.file, r.line) + "fare_id " + fare.id + " stands twice";
                return false;
            }
            fares.push_back(std::move(fare));
            return true;
        });
    if (!ok) return false;
    Table rules;
    ok = reader.walk("fare_rules.txt", {"fare_id"}, rules, [&](const CsvRow& r) {
        const std::string id(rules.field(r, "fare_id"));
        auto it = byId.find(id);
        if (it == byId.end()) {
            if (leftOut.count(id) == 0) {
                reader.warn("fare_rules.txt: rules of no fare in fare_attributes.txt (left out)");
            }
            return true;
        }
        std::vector<std::string>& list = fares[it->second].rules;
        // Routes and zones of each feed apart: the feed's prefix before every id named.
        for (const char* column : {"route_id", "origin_id", "destination_id", "contains_id"}) {
            const std::string_view id = rules.field(r, column);
            list.push_back(id.empty() ? std::string() : clean(feed.prefix + std::string(id)));
        }
        return true;
    });
    if (!ok) return false;
    if (fares.empty()) return true;
    std::string& table = network.fareTable;
    if (table.empty()) table = "fare\tprice\tcurrency\troute\torigin\tdestination\tcontains\n";
    for (const Fare& fare : fares) {
        const std::string head =
            clean(feed.prefix + fare.id) + '\t' + fare.price + '\t' + fare.currency;
        if (fare.rules.empty()) table += head + "\t\t\t\t\n";
        for (std::size_t k = 0; k + 3 < fare.rules.size(); k += 4) {
            table += head + '\t' + fare.rules[k] + '\t' + fare.rules[k + 1] + '\t' +
                     fare.rules[k + 2] + '\t' + fare.rules[k + 3] + '\n';
        }
    }
    return true;
}

}  // namespace zelvan::gtfs
