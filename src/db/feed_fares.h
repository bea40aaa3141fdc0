// The fares an imported railway publishes: prices of fare products, each with the rules that
// say where it applies (a route, an origin zone, a destination zone, the zones a ride passes
// through). Read from the timetable's x.fares table; the built-in tariff never prices such a
// railway, so a stretch the rules do not cover has no fare.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvan {

class FeedFares {
  public:
    // Reads the table (header fare, price, currency, route, origin, destination, contains);
    // lines that do not parse are left out.
    void parse(std::string_view table);
    bool empty() const { return fares_.empty(); }

    // The cheapest fare for a ride on route `route` from zone `origin` to zone `destination`
    // passing through the zones `passed` (the boarding and alighting stops' included, any
    // order, repeats allowed), as "USD 10.25"; empty when no fare applies.
    std::u16string price(std::string_view route, std::string_view origin,
                         std::string_view destination,
                         const std::vector<std::string_view>& passed) const;

  private:
    struct Rule {
        std::string route, origin, destination, contains;
    };
    struct Fare {
        std::string id;
        long long minor = 0;  // the price in the currency's smallest unit
        int digits = 2;       // digits after the point
        std::string currency;
        std::vector<Rule> rules;
    };
    std::vector<Fare> fares_;
};

// The digits after the point of a currency's price (ISO 4217 minor units): 0 for yen and won,
// 3 for the dinars of Bahrain, Jordan, Kuwait, Libya, Tunisia and the rial of Oman, else 2.
int currencyDigits(std::string_view currency);

}  // namespace zelvan
