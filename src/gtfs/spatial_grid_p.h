// Points on the earth in cubes of a fixed edge, in earth-centred coordinates, to find every
// point within a distance of another without comparing every pair: a national network has half
// a million stations. Private to src/gtfs.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

namespace zelvan::gtfs {

class SpatialGrid {
  public:
    explicit SpatialGrid(double edgeKm) : edgeKm_(edgeKm) {}
    void add(int id, double lat, double lon);
    // Calls `visit(id)` for every point added that may lie within `km` (at most the edge) of
    // (lat, lon): those of the 27 cubes around it. The caller measures the distance.
    template <typename Visit>
    void near(double lat, double lon, Visit&& visit) const {
        sort();
        const Cell c = cellOf(lat, lon);
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dz = -1; dz <= 1; ++dz) {
                    const std::uint64_t key = keyOf({c.x + dx, c.y + dy, c.z + dz});
                    auto it = std::lower_bound(points_.begin(), points_.end(),
                                               std::make_pair(key, INT32_MIN));
                    for (; it != points_.end() && it->first == key; ++it) visit(it->second);
                }
            }
        }
    }

  private:
    struct Cell {
        int x, y, z;
    };
    Cell cellOf(double lat, double lon) const;
    static std::uint64_t keyOf(Cell c);
    void sort() const;

    double edgeKm_;
    mutable std::vector<std::pair<std::uint64_t, int>> points_;  // cube key -> point id
    mutable bool sorted_ = true;
};

}  // namespace zelvan::gtfs
