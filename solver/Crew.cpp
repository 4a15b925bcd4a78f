#include "solver/Crew.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace piecefen::crew {

struct Crew::Threads {
    Work work = nullptr;
    void* context = nullptr;
    std::size_t count = 0;
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t next = 0;       // the next piece to hand out
    bool stopping = false;
    std::vector<bool> done;     // which pieces are done
    std::vector<std::thread> running;
};

Crew::Crew(unsigned workers, std::size_t count, Work work, void* context) : threads_(std::make_unique<Threads>()) {
    Threads& threads = *threads_;
    threads.work = work;
    threads.context = context;
    threads.count = count;
    threads.done.assign(count, false);
    for (unsigned worker = 0; worker < std::max(1U, workers); ++worker) {
        threads.running.emplace_back([this, worker] {
            Threads& shared = *threads_;
            for (;;) {
                std::size_t index = 0;
                {
                    const std::lock_guard lock(shared.mutex);
                    if (shared.stopping || shared.next >= shared.count) return;
                    index = shared.next++;
                }
                shared.work(shared.context, index, worker);
                {
                    const std::lock_guard lock(shared.mutex);
                    shared.done[index] = true;
                }
                shared.finished.notify_all();
            }
        });
    }
}

Crew::~Crew() {
    {
        const std::lock_guard lock(threads_->mutex);
        threads_->stopping = true;
    }
    for (std::thread& thread : threads_->running) thread.join();
}

void Crew::waitFor(std::size_t index) {
    Threads& threads = *threads_;
    std::unique_lock lock(threads.mutex);
    threads.finished.wait(lock, [&] { return index >= threads.count || threads.done[index]; });
}

}  // namespace piecefen::crew
