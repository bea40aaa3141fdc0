#include <algorithm>
#include <climits>
#include <cmath>

#include "gtfs/spatial_grid_p.h"

namespace zelvan::gtfs {

SpatialGrid::Cell SpatialGrid::cellOf(double lat, double lon) const {
    constexpr double kRadius = 6371.0088;
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double x = kRadius * std::cos(lat * kRad) * std::cos(lon * kRad);
    const double y = kRadius * std::cos(lat * kRad) * std::sin(lon * kRad);
    const double z = kRadius * std::sin(lat * kRad);
    return {static_cast<int>(std::floor(x / edgeKm_)), static_cast<int>(std::floor(y / edgeKm_)),
            static_cast<int>(std::floor(z / edgeKm_))};
}

// 21 bits a coordinate: ±6,400 km in cubes of 100 m and more.
std::uint64_t SpatialGrid::keyOf(Cell c) {
    const auto bits = [](int v) { return static_cast<std::uint64_t>(v + (1 << 20)) & 0x1FFFFF; };
    return bits(c.x) << 42 | bits(c.y) << 21 | bits(c.z);
}

void SpatialGrid::add(int id, double lat, double lon) {
    points_.emplace_back(keyOf(cellOf(lat, lon)), id);
    sorted_ = false;
}

void SpatialGrid::sort() const {
    if (sorted_) return;
    std::sort(points_.begin(), points_.end());
    sorted_ = true;
}

}  // namespace zelvan::gtfs
