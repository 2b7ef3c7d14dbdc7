// The selection's long passes over the fault table, cut into parts that may
// run at the same time. A pass is written as a loop over one part of its
// range; the parts depend on the range alone and their results are merged
// in part order, so the results never depend on how the parts ran.
#pragma once

#include <cstddef>
#include <cstdint>

struct WorkerThread;

// How one run cuts its passes (select/kernels/pass_worker.h starts the worker).
// As made by default, every pass is one part.
struct PassParts {
    WorkerThread* worker = nullptr;  // runs the second part of a pass
    size_t minParallelWords = 0;     // a pass over fewer table words is one part
};

// The parts a pass over [0, count), reading `words` table words, is cut into: 1 or 2.
inline uint32_t partCount(const PassParts& parts, uint32_t count, size_t words) {
    return parts.worker != nullptr && count >= 2 && words >= parts.minParallelWords ? 2 : 1;
}

// Runs run(context, 0) on this thread and run(context, 1) at the same time;
// returns once both are done, and throws then what either threw.
void runTwoParts(WorkerThread& worker, void (*run)(void* context, uint32_t part), void* context);

// body(begin, end, part) for each part of [0, count): [0, count) as part 0
// when the pass is one part, else [0, count / 2) as part 0 and
// [count / 2, count) as part 1. Returns once every part is done.
template <class Body>
void forEachPart(const PassParts& parts, uint32_t count, size_t words, Body&& body) {
    if (partCount(parts, count, words) == 1) {
        body(uint32_t{0}, count, uint32_t{0});
        return;
    }
    uint32_t middle = count / 2;
    auto part = [&](uint32_t index) {
        if (index == 0) {
            body(uint32_t{0}, middle, uint32_t{0});
        } else {
            body(middle, count, uint32_t{1});
        }
    };
    using Part = decltype(part);
    runTwoParts(*parts.worker, [](void* context, uint32_t index) { (*static_cast<Part*>(context))(index); }, &part);
}
