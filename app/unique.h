// Move-only ownership of one handle; Traits says what "no handle" is and how to close one.
#pragma once

#include <utility>

template <class Traits>
class Unique {
   public:
    using Handle = typename Traits::Handle;

    Unique() = default;
    explicit Unique(Handle handle) : handle_(handle) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : handle_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~Unique() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::none(); }
    Handle release() { return std::exchange(handle_, Traits::none()); }
    void reset(Handle handle = Traits::none()) {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::none()) Traits::close(old);
    }

   private:
    Handle handle_ = Traits::none();
};
