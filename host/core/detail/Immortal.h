#pragma once
// Immortal<T>: a function-local registry that is never destroyed. Components with static
// lifetime (a form held in a global, say) may be destroyed after every other static
// object; the registries they deregister from must still be there then. The object is
// built in place on first use and its memory stays reachable, so leak checkers stay quiet.

#include <new>
#include <utility>

namespace zel::host {

template <class T> class Immortal {
public:
    template <class... Args> explicit Immortal(Args&&... args) {
        ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
    }
    Immortal(const Immortal&) = delete;
    Immortal& operator=(const Immortal&) = delete;
    ~Immortal() = default; // deliberately does not destroy the T

    T& operator*() { return *std::launder(reinterpret_cast<T*>(storage_)); }
    T* operator->() { return &**this; }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
};

} // namespace zel::host
