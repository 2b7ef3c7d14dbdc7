// The work limit and the random numbers of the cover search. Both are plain
// counters, so a run does the same steps on every machine.
#pragma once

#include <cstdint>

// Work is counted in element visits (one entry of a column or element list,
// or one table word); the search stops its phases when `used` reaches `limit`.
struct WorkBudget {
    uint64_t limit = 0;
    uint64_t used = 0;
};

inline void spendWork(WorkBudget& budget, uint64_t amount) { budget.used += amount; }
inline bool workLeft(const WorkBudget& budget) { return budget.used < budget.limit; }

// splitmix64: small, fast and the same sequence everywhere.
struct SearchRandom {
    uint64_t state = 0;
};

inline uint64_t nextRandom(SearchRandom& random) {
    random.state += 0x9e3779b97f4a7c15ULL;
    uint64_t z = random.state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// A number in [0, bound), bound >= 1.
inline uint32_t randomBelow(SearchRandom& random, uint32_t bound) {
    return static_cast<uint32_t>(((nextRandom(random) >> 32) * bound) >> 32);
}
