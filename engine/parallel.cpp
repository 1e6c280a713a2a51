#include "engine/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lumivex {

namespace {

std::atomic<int> requestedThreads{0};
std::atomic<bool> oracle{false};

int HardwareThreads() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

}  // namespace

void SetEngineThreadCount(int n) {
    requestedThreads.store(n < 1 ? 0 : n);
}

int EngineThreadCount() {
    const int n = requestedThreads.load();
    return n < 1 ? HardwareThreads() : n;
}

}  // namespace lumivex

namespace lumivex::engine {

namespace {

thread_local bool insideParallelWork = false;

// How long a thread polls before it sleeps: the engine posts many short batches one after the
// other, and waking a sleeping thread can take longer than such a batch.
constexpr int kSpinRounds = 4000;

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// Ranges handed out one by one from an atomic counter to the caller and the helper threads.
struct Batch {
    const std::function<void(int32_t, int32_t)>* body = nullptr;
    int32_t count = 0;
    int32_t chunks = 0;
    std::atomic<int32_t> next{0};
    std::atomic<int32_t> done{0};
    std::mutex failureMutex;
    std::exception_ptr failure;  // the first exception a range threw, passed on to the caller

    void RunChunks() {
        for (int32_t k = next.fetch_add(1); k < chunks; k = next.fetch_add(1)) {
            const auto begin = static_cast<int32_t>(static_cast<int64_t>(count) * k / chunks);
            const auto end = static_cast<int32_t>(static_cast<int64_t>(count) * (k + 1) / chunks);
            try {
                (*body)(begin, end);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(failureMutex);
                if (!failure) {
                    failure = std::current_exception();
                }
            }
            done.fetch_add(1);
        }
    }
};

// Helper threads that sleep until a batch is posted; the posting thread works too.
class ThreadPool {
public:
    explicit ThreadPool(int helpers) {
        for (int i = 0; i < helpers; ++i) {
            threads_.emplace_back([this] { Work(); });
        }
    }
    ~ThreadPool() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& t : threads_) {
            t.join();
        }
    }
    int Helpers() const { return static_cast<int>(threads_.size()); }

    void Run(Batch& batch) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            batch_ = &batch;
            ++generation_;
            posted_.store(generation_);
        }
        wake_.notify_all();
        insideParallelWork = true;
        batch.RunChunks();
        insideParallelWork = false;
        for (int spin = 0; spin < kSpinRounds && batch.done.load() != batch.chunks; ++spin) {
            CpuRelax();
        }
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [&] { return busy_ == 0 && batch.done.load() == batch.chunks; });
        batch_ = nullptr;
    }

private:
    void Work() {
        insideParallelWork = true;
        uint64_t seen = 0;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (!stopping_ && generation_ == seen) {
                lock.unlock();
                for (int spin = 0; spin < kSpinRounds && posted_.load() == seen; ++spin) {
                    CpuRelax();
                }
                lock.lock();
            }
            wake_.wait(lock,
                       [&] { return stopping_ || (batch_ != nullptr && generation_ != seen); });
            if (stopping_) {
                return;
            }
            seen = generation_;
            Batch* batch = batch_;
            ++busy_;
            lock.unlock();
            batch->RunChunks();
            lock.lock();
            --busy_;
            finished_.notify_all();
        }
    }

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    Batch* batch_ = nullptr;
    uint64_t generation_ = 0;
    std::atomic<uint64_t> posted_{0};  // generation_, readable without the lock while polling
    int busy_ = 0;
    bool stopping_ = false;
};

std::mutex poolMutex;
std::unique_ptr<ThreadPool> pool;

}  // namespace

void SetScalarOracle(bool on) {
    oracle.store(on);
}

bool ScalarOracle() {
    return oracle.load();
}

void ParallelFor(int32_t count, int32_t minChunk, const std::function<void(int32_t, int32_t)>& body,
                 int32_t rangesPerThread) {
    if (count <= 0) {
        return;
    }
    const int threads = ScalarOracle() ? 1 : EngineThreadCount();
    const int32_t byLength = count / std::max(minChunk, 1);
    const int32_t chunks = std::min<int32_t>(byLength, threads * std::max(rangesPerThread, 1));
    std::unique_lock<std::mutex> lock(poolMutex, std::try_to_lock);
    if (threads <= 1 || chunks <= 1 || insideParallelWork || !lock.owns_lock()) {
        body(0, count);
        return;
    }
    if (!pool || pool->Helpers() != threads - 1) {
        pool.reset();
        pool = std::make_unique<ThreadPool>(threads - 1);
    }
    Batch batch;
    batch.body = &body;
    batch.count = count;
    batch.chunks = chunks;
    pool->Run(batch);
    if (batch.failure) {
        std::rethrow_exception(batch.failure);
    }
}

void ForEachSideBySide(int32_t count, bool sideBySide,
                       const std::function<void(int32_t, int32_t)>& body) {
    const int32_t threads = EngineThreadCount();
    const int32_t rounds = count > threads ? count - count % threads : count;
    const int32_t together = sideBySide ? rounds : 0;
    ParallelFor(together, 1, body);
    if (together < count) {
        body(together, count);
    }
}

}  // namespace lumivex::engine
