// The rows a new airports data file holds, in file order.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kestle_test {

using AirportRows = std::vector<std::pair<std::string, std::string>>;

inline const AirportRows default_airports = {
    {"Toronto", "YYZ"},     {"Vancouver", "YVR"}, {"San Francisco", "SFO"}, {"Chicago", "ORD"},
    {"Los Angeles", "LAX"}, {"Tokyo", "NRT"},     {"Hong Kong", "HKG"},     {"Singapore", "SIN"},
    {"London", "LHR"},      {"Sydney", "SYD"},    {"Melbourne", "MEL"},     {"San Jose", "SJC"},
};

} // namespace kestle_test
