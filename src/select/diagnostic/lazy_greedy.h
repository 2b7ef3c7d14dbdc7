// The greedy choice over gains that only ever fall: a queue of the gains as
// last computed, where a vector whose fresh gain still heads the queue is
// the best one (lowest index on ties), as a scan of every gain would find.
#pragma once

#include <cstdint>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

struct LazyGain {
    uint64_t gain;
    uint32_t vector;
    // Larger gains first, then lower indices.
    bool operator<(const LazyGain& other) const {
        return gain != other.gain ? gain < other.gain : vector > other.vector;
    }
};

using LazyGainQueue = std::priority_queue<LazyGain>;

// The queue of the candidates' gains (gain(vector)), those above 0.
template <typename Gain>
LazyGainQueue gainQueue(const std::vector<uint32_t>& candidates, Gain gain) {
    std::vector<LazyGain> start;
    for (uint32_t v : candidates) {
        uint64_t g = gain(v);
        if (g > 0) {
            start.push_back(LazyGain{g, v});
        }
    }
    return LazyGainQueue(std::less<LazyGain>(), std::move(start));
}

// The vector of largest gain now, taken from the queue, and its gain; {0, 0}
// when none gains anything. Entries whose gain fell to 0 leave the queue.
template <typename Gain>
LazyGain takeBestGain(LazyGainQueue& queue, Gain gain) {
    while (!queue.empty()) {
        LazyGain top = queue.top();
        queue.pop();
        LazyGain fresh{gain(top.vector), top.vector};
        if (fresh.gain == 0) {
            continue;
        }
        if (!queue.empty() && fresh < queue.top()) {
            queue.push(fresh);
            continue;
        }
        return fresh;
    }
    return LazyGain{0, 0};
}
