// A second thread for the selection's long passes over the fault table: the
// calling thread runs one half of a pass, the worker the other. Every pass
// splits at a fixed point and merges its halves in a fixed order, so results
// never depend on the scheduling.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// How the passes share out work.
struct SelectionWork {
    bool secondThread = false;
    // A pass over fewer table words than this runs on the calling thread
    // alone (handing half of it over costs more than it saves). Tests set 0
    // to take the split paths on small tables.
    size_t minParallelWords = 0;
};

// Two threads when the processor has two cores; passes below about a
// megabyte of table words stay on one.
SelectionWork defaultSelectionWork();

struct WorkerThread;

// The work sharing of one run: without a worker every pass runs whole on
// the calling thread.
struct SplitWork {
    std::unique_ptr<WorkerThread> worker;
    size_t minParallelWords = 0;

    SplitWork();
    SplitWork(SplitWork&&) noexcept;
    SplitWork& operator=(SplitWork&&) noexcept;
    ~SplitWork();
};

// Starts the worker when `work` asks for one and the table has at least
// minParallelWords words; a thread that cannot be started leaves one.
SplitWork startSplitWork(const SelectionWork& work, size_t tableWords);

// Runs run(context, 0) here and run(context, 1) on the worker, and returns
// once both are done; an exception of either is thrown here afterwards.
void runOnBothThreads(WorkerThread& worker, void (*run)(void* context, uint32_t part), void* context);

// body(begin, end, part) over [0, count): split at count / 2 over the two
// threads when there is a worker and `words` (the table words the pass
// reads) reaches the threshold, else body(0, count, 0) here.
template <class Body>
void splitRange(SplitWork& split, uint32_t count, size_t words, Body&& body) {
    if (!split.worker || count < 2 || words < split.minParallelWords) {
        body(uint32_t{0}, count, uint32_t{0});
        return;
    }
    uint32_t middle = count / 2;
    auto half = [&](uint32_t part) {
        if (part == 0) {
            body(uint32_t{0}, middle, uint32_t{0});
        } else {
            body(middle, count, uint32_t{1});
        }
    };
    using Half = decltype(half);
    runOnBothThreads(
        *split.worker, [](void* context, uint32_t part) { (*static_cast<Half*>(context))(part); }, &half);
}

// Whether passes of `words` table words split over two threads.
inline bool splitsOver(const SplitWork& split, size_t words) {
    return split.worker && words >= split.minParallelWords;
}
