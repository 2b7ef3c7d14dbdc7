#include "select/phases/gain_queue.h"

#include <algorithm>

namespace {

template <class Gain>
GainKeyOf<Gain> gainKey(Gain gain, uint32_t vector) {
    return (GainKeyOf<Gain>{gain} << 32) | GainKeyOf<Gain>{~vector};
}

template <class Key>
uint32_t keyVector(Key key) {
    return ~static_cast<uint32_t>(key);
}

// Whether the key's gain is above 0.
template <class Key>
bool keyGains(Key key) {
    return (key >> 32) != 0;
}

// Recomputes the keys of keys[begin, end) that are stale, in place.
template <class Gain>
void refreshKeys(GainQueueOf<Gain>& queue, size_t begin, size_t end, const GainSourceOf<Gain>& source) {
    size_t words = (end - begin) * source.wordsPerGain;
    for (size_t index = begin; index < end; ++index) {
        if (queue.evaluatedAt[keyVector(queue.keys[index])] != queue.picks) {
            queue.replacedKeys.push_back(queue.keys[index]);
        }
    }
    forEachPart(source.parts, static_cast<uint32_t>(end - begin), words, [&](uint32_t first, uint32_t last, uint32_t) {
        for (size_t index = begin + first; index < begin + last; ++index) {
            uint32_t vector = keyVector(queue.keys[index]);
            if (queue.evaluatedAt[vector] != queue.picks) {
                queue.keys[index] = gainKey(source.gainOf(source.context, vector), vector);
            }
        }
    });
    for (size_t index = begin; index < end; ++index) {
        queue.evaluatedAt[keyVector(queue.keys[index])] = queue.picks;
    }
}

// Drops the keys of gain 0 from keys[begin, end) and puts the rest back into
// the heap below `begin`.
template <class Gain>
void pushRefreshedKeys(GainQueueOf<Gain>& queue, size_t begin) {
    size_t kept = begin;
    for (size_t index = begin; index < queue.keys.size(); ++index) {
        if (keyGains(queue.keys[index])) {
            queue.keys[kept] = queue.keys[index];
            std::push_heap(queue.keys.begin(), queue.keys.begin() + static_cast<std::ptrdiff_t>(++kept));
        }
    }
    queue.keys.resize(kept);
}

// Recomputes every stale key and rebuilds the heap: cheaper than taking most
// of the keys off the heap one by one.
template <class Gain>
void refreshAllKeys(GainQueueOf<Gain>& queue, const GainSourceOf<Gain>& source) {
    refreshKeys(queue, 0, queue.keys.size(), source);
    std::erase_if(queue.keys, [](GainKeyOf<Gain> key) { return !keyGains(key); });
    std::make_heap(queue.keys.begin(), queue.keys.end());
}

}  // namespace

template <class Gain>
GainQueueOf<Gain> makeGainQueue(const std::vector<CandidateGainOf<Gain>>& candidates, size_t vectors) {
    GainQueueOf<Gain> queue;
    queue.evaluatedAt.assign(vectors, 0);
    queue.keys.reserve(candidates.size());
    for (const CandidateGainOf<Gain>& candidate : candidates) {
        if (candidate.gain > 0) {
            queue.keys.push_back(gainKey(candidate.gain, candidate.vector));
        }
    }
    std::make_heap(queue.keys.begin(), queue.keys.end());
    return queue;
}

template <class Gain>
bool popBestCandidate(GainQueueOf<Gain>& queue, const GainSourceOf<Gain>& source, uint32_t& pick) {
    size_t batch = std::max<size_t>(1, queue.lastPickOutranked);
    while (!queue.keys.empty()) {
        GainKeyOf<Gain> best = queue.keys.front();
        if (queue.evaluatedAt[keyVector(best)] == queue.picks) {
            std::pop_heap(queue.keys.begin(), queue.keys.end());
            queue.keys.pop_back();
            pick = keyVector(best);
            queue.lastPickOutranked =
                static_cast<size_t>(std::count_if(queue.replacedKeys.begin(), queue.replacedKeys.end(),
                                                  [best](GainKeyOf<Gain> key) { return key > best; }));
            queue.replacedKeys.clear();
            ++queue.picks;
            return true;
        }
        if (batch >= queue.keys.size() / 2) {
            refreshAllKeys(queue, source);
            continue;
        }
        // The stale keys from the top, at most `batch` of them, moved to the
        // end of the array, recomputed and put back.
        size_t end = queue.keys.size();
        size_t begin = end;
        while (begin > 0 && end - begin < batch && queue.evaluatedAt[keyVector(queue.keys.front())] != queue.picks) {
            std::pop_heap(queue.keys.begin(), queue.keys.begin() + static_cast<std::ptrdiff_t>(begin));
            --begin;
        }
        refreshKeys(queue, begin, end, source);
        pushRefreshedKeys(queue, begin);
        batch *= 2;
    }
    return false;
}

// The two widths of gain there are.
template GainQueueOf<uint32_t> makeGainQueue(const std::vector<CandidateGainOf<uint32_t>>&, size_t);
template bool popBestCandidate(GainQueueOf<uint32_t>&, const GainSourceOf<uint32_t>&, uint32_t&);
template GainQueueOf<uint64_t> makeGainQueue(const std::vector<CandidateGainOf<uint64_t>>&, size_t);
template bool popBestCandidate(GainQueueOf<uint64_t>&, const GainSourceOf<uint64_t>&, uint32_t&);
