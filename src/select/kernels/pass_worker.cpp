// The selection's worker thread: one per run. Between passes it first spins
// for a short while, since the greedy phase hands over many short passes in
// a row and waking a sleeping thread costs more than most of them; then it
// sleeps until the next pass or the end of the run.
#include "select/kernels/pass_worker.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/cpu_count.h"

struct WorkerThread {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    void (*run)(void*, uint32_t) = nullptr;
    void* context = nullptr;
    std::atomic<uint64_t> started{0};   // passes handed over
    std::atomic<uint64_t> finished{0};  // passes the worker completed
    std::atomic<bool> stopping{false};
    std::exception_ptr failure;
    std::thread thread;
};

namespace {

// About a megabyte of table words.
constexpr size_t DefaultMinParallelWords = size_t{1} << 17;

// How long a thread spins before it sleeps.
constexpr std::chrono::microseconds SpinTime{50};

inline void pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// Spins until `ready` holds or the spin time is over; true when it holds.
template <class Ready>
bool spinUntil(Ready ready) {
    auto end = std::chrono::steady_clock::now() + SpinTime;
    for (;;) {
        for (uint32_t round = 0; round < 32; ++round) {
            if (ready()) {
                return true;
            }
            pause();
        }
        if (std::chrono::steady_clock::now() > end) {
            return ready();
        }
    }
}

void workerLoop(WorkerThread& worker) {
    uint64_t seen = 0;
    for (;;) {
        auto handedOver = [&] {
            return worker.stopping.load(std::memory_order_acquire) ||
                   worker.started.load(std::memory_order_acquire) != seen;
        };
        if (!spinUntil(handedOver)) {
            std::unique_lock lock(worker.mutex);
            worker.wake.wait(lock, handedOver);
        }
        if (worker.stopping.load(std::memory_order_acquire)) {
            return;
        }
        seen = worker.started.load(std::memory_order_acquire);
        try {
            worker.run(worker.context, 1);
        } catch (...) {
            worker.failure = std::current_exception();
        }
        {
            std::lock_guard lock(worker.mutex);
            worker.finished.store(seen, std::memory_order_release);
        }
        worker.done.notify_one();
    }
}

}  // namespace

SelectionWork defaultSelectionWork() {
    return SelectionWork{usableCpuCount() > 1, DefaultMinParallelWords};
}

PassWorker::PassWorker() = default;

PassWorker::~PassWorker() {
    if (!thread) {
        return;
    }
    {
        std::lock_guard lock(thread->mutex);
        thread->stopping.store(true, std::memory_order_release);
    }
    thread->wake.notify_one();
    thread->thread.join();
}

void startPassWorker(PassWorker& worker, const SelectionWork& work, size_t tableWords) {
    worker.parts.minParallelWords = work.minParallelWords;
    if (!work.secondThread || tableWords < work.minParallelWords) {
        return;
    }
    auto thread = std::make_unique<WorkerThread>();
    try {
        thread->thread = std::thread(workerLoop, std::ref(*thread));
    } catch (const std::system_error&) {
        return;
    }
    worker.thread = std::move(thread);
    worker.parts.worker = worker.thread.get();
}

void runTwoParts(WorkerThread& worker, void (*run)(void* context, uint32_t part), void* context) {
    // The worker reads run and context only after it sees the new count,
    // and writes failure before it publishes its finish.
    worker.run = run;
    worker.context = context;
    uint64_t pass = 0;
    {
        std::lock_guard lock(worker.mutex);
        pass = worker.started.load(std::memory_order_relaxed) + 1;
        worker.started.store(pass, std::memory_order_release);
    }
    worker.wake.notify_one();
    std::exception_ptr failure;
    try {
        run(context, 0);
    } catch (...) {
        failure = std::current_exception();
    }
    // The worker's half uses this caller's data: wait for it in every case.
    auto finished = [&] { return worker.finished.load(std::memory_order_acquire) == pass; };
    if (!spinUntil(finished)) {
        std::unique_lock lock(worker.mutex);
        worker.done.wait(lock, finished);
    }
    if (!failure) {
        failure = worker.failure;
    }
    worker.failure = nullptr;
    if (failure) {
        std::rethrow_exception(failure);
    }
}
