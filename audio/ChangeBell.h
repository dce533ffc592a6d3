#pragma once

#include <atomic>

namespace qf::sound {

// Rung by the interface each time it asks the mix for something new, so that an output that
// holds much of the mix queued can render that again at once. One listener at a time.
class ChangeBell {
public:
    using Listener = void (*)(void* user) noexcept;

    void listen(Listener listener, void* user) noexcept {
        user_.store(user);
        listener_.store(listener);
    }
    void ring() const noexcept {
        if (Listener listener = listener_.load()) {
            listener(user_.load());
        }
    }

private:
    std::atomic<Listener> listener_{nullptr};
    std::atomic<void*> user_{nullptr};
};

} // namespace qf::sound
