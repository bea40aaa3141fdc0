// The measured questions. Each is registered as "zelvan/<key>" (load-time indexes, the normal
// mode), "plain/<key>" (the plain scans, where they differ) and "sqlite/<key>" (the peer, where
// it answers the same question).
#pragma once

#include <string>
#include <vector>

namespace zelvan::bench {

class SqlitePeer;

struct Question {
    std::string key;
    std::string label;    // what is asked, with the stations or text picked for this data
    double targetUs = 0;  // the figure to reach in the normal mode, 0: none
    bool hasPlain = false;
    std::string sqliteKey;  // "sqlite/<key>" answering the same question, "" for none
};

// Registers every benchmark; `peer` may be null (then no SQLite benchmarks).
void registerQueryBenchmarks(SqlitePeer* peer);

// The questions in the order of the summary (after registerQueryBenchmarks).
const std::vector<Question>& questions();
// Appends a question to the summary (for benchmarks registered elsewhere).
void addQuestion(Question question);

}  // namespace zelvan::bench
