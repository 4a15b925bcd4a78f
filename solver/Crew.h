#pragma once

#include <cstddef>
#include <memory>

// Numbered pieces of work shared out between threads, taken in order of their numbers,
// and waited for one at a time in that order: the caller can merge the answers as one
// thread would have made them. Where the system has no threads (WebAssembly), the
// caller's own thread does each piece when it is waited for.
namespace piecefen::crew {

// Whether the system has threads, as the build says: without them a caller can leave out
// the code that would share work.
constexpr bool HAS_THREADS = PIECEFEN_HAS_THREADS;

class Crew {
public:
    // `work(context, index, worker)` does piece `index` on the worker numbered `worker`, 0
    // to workers-1; no two calls share a worker at the same time. A plain function, so that
    // no type of the caller's needs its type information exported.
    using Work = void (*)(void* context, std::size_t index, unsigned worker);

    Crew(unsigned workers, std::size_t count, Work work, void* context);
    // Hands out no more work and waits for every thread: work under way that should end
    // sooner must be told so by its caller.
    ~Crew();
    Crew(const Crew&) = delete;
    Crew& operator=(const Crew&) = delete;

    // Returns once piece `index` is done.
    void waitFor(std::size_t index);

private:
    struct Threads;
    std::unique_ptr<Threads> threads_;
};

}  // namespace piecefen::crew
