#include "solver/Crew.h"

#include <utility>

// The crew where the system has no threads: each piece is done on the caller's thread
// when it is waited for, in order.
namespace piecefen::crew {

struct Crew::Threads {
    Work work = nullptr;
    void* context = nullptr;
    std::size_t count = 0;
    std::size_t next = 0;
};

Crew::Crew(unsigned /*workers*/, std::size_t count, Work work, void* context) : threads_(std::make_unique<Threads>()) {
    threads_->work = work;
    threads_->context = context;
    threads_->count = count;
}

Crew::~Crew() = default;

void Crew::waitFor(std::size_t index) {
    Threads& threads = *threads_;
    while (threads.next <= index && threads.next < threads.count) threads.work(threads.context, threads.next++, 0);
}

}  // namespace piecefen::crew
