// The greedy choice over gains that only ever fall: a queue of the gains as
// last computed, where a vector whose fresh gain still heads the queue is
// the best one (lowest index on ties), as a scan of every gain would find.
#pragma once

#include <cstdint>
#include <queue>
#include <vector>

struct GainEntry {
    uint32_t gain;
    uint32_t vector;
    // Larger gains first, then lower indices.
    bool operator<(const GainEntry& other) const {
        return gain != other.gain ? gain < other.gain : vector > other.vector;
    }
};

// The vector of largest current gain and its gain, {0, 0} when none adds
// anything; `freshGain(vector)` gives a vector's gain now. Entries of gain 0
// leave the queue.
template <class FreshGain>
GainEntry takeBestGain(std::priority_queue<GainEntry>& queue, FreshGain&& freshGain) {
    while (!queue.empty()) {
        GainEntry top = queue.top();
        queue.pop();
        GainEntry fresh{freshGain(top.vector), top.vector};
        if (fresh.gain == 0) {
            continue;
        }
        if (!queue.empty() && fresh < queue.top()) {
            queue.push(fresh);
            continue;
        }
        return fresh;
    }
    return GainEntry{0, 0};
}
