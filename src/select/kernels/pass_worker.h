// The selection's worker thread, which runs the second part of every long
// pass (select/kernels/pass_parts.h) while the calling thread runs the first.
#pragma once

#include <cstddef>
#include <memory>

#include "select/kernels/pass_parts.h"

// How a run shares out its passes.
struct SelectionWork {
    bool secondThread = false;
    // A pass over fewer table words than this is one part (handing half of
    // it over costs more than it saves). Tests set 0 to cut the passes of
    // small tables.
    size_t minParallelWords = 0;
};

// A second thread when the process may run on two CPUs or more; passes
// below about a megabyte of table words stay whole.
SelectionWork defaultSelectionWork();

// The worker of one run, stopped and joined when this is destroyed; `parts`
// cuts the run's passes.
struct PassWorker {
    std::unique_ptr<WorkerThread> thread;
    PassParts parts;

    PassWorker();
    PassWorker(const PassWorker&) = delete;
    PassWorker& operator=(const PassWorker&) = delete;
    ~PassWorker();
};

// Starts the worker when `work` asks for one and the table has at least
// minParallelWords words; a thread that cannot be started leaves every pass
// one part.
void startPassWorker(PassWorker& worker, const SelectionWork& work, size_t tableWords);
