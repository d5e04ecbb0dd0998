#pragma once
// Allocator for picture-sized arrays. Blocks of 2 MiB and more are aligned to 2 MiB and,
// on Linux, marked for transparent huge pages: a 12-megapixel picture is then mapped in
// two dozen page faults instead of twelve thousand, which is most of the cost of touching
// fresh memory. Smaller blocks come from the ordinary heap.

#include <cstddef>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace kirimo {

template <typename T>
class LargeBlockAllocator {
  public:
    using value_type = T;
    static constexpr size_t kLargeBlock = size_t{2} << 20;

    LargeBlockAllocator() = default;
    template <typename U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) {}

    T* allocate(size_t n) {
        if (n > static_cast<size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        const size_t bytes = n * sizeof(T);
        if (bytes < kLargeBlock)
            return static_cast<T*>(::operator new(bytes));
        const size_t rounded = (bytes + kLargeBlock - 1) / kLargeBlock * kLargeBlock;
        void* block = ::operator new (rounded, std::align_val_t{kLargeBlock});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        madvise(block, rounded, MADV_HUGEPAGE);  // a hint; failure only costs speed
#endif
        return static_cast<T*>(block);
    }

    void deallocate(T* block, size_t n) {
        if (n * sizeof(T) < kLargeBlock) {
            ::operator delete(block);
        } else {
            ::operator delete (block, std::align_val_t{kLargeBlock});
        }
    }

    // Elements made without a value are left uninitialised (a vector of n pixels is then
    // not written until its owner writes it, and its fresh pages are not touched), and
    // elements made with a value are made from it.
    template <typename U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    template <typename U>
    bool operator==(const LargeBlockAllocator<U>&) const {
        return true;
    }
};

}  // namespace kirimo
