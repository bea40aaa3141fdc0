// The journey questions: building the planner, a whole day's journeys between two hubs, the
// evening's, and the one-change journeys side by side with SQLite.
#pragma once

namespace zelvan::bench {

class SqlitePeer;

// Registers the journey benchmarks and their summary lines; `peer` may be null.
void registerJourneyBenchmarks(SqlitePeer* peer);

}  // namespace zelvan::bench
