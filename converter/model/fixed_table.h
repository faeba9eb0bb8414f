// A table of the scene model with a fixed capacity that touches only the
// records a file reaches. The memory for every record is taken once, untouched
// (the system hands it out page by page as it is first written); a record is
// value-initialised when an index at or beyond it is first reached, and
// reset() makes the reached part fresh for the next file. A file of a hundred
// vertices thus costs a hundred vertices, not the table's twenty thousand.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace kzo {

template <typename T>
class FixedTable {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "records are dropped by resetting the reached count");

public:
    explicit FixedTable(std::size_t capacity)
        : capacity_(capacity), records_(std::allocator<T>().allocate(capacity)) {}
    ~FixedTable() { std::allocator<T>().deallocate(records_, capacity_); }
    FixedTable(const FixedTable&) = delete;
    FixedTable& operator=(const FixedTable&) = delete;

    // The capacity: the limit a file's records must stay within.
    std::size_t size() const { return capacity_; }

    T& operator[](std::size_t i) {
        if (i >= reached_) [[unlikely]] {
            reach(i);
        }
        return records_[i];
    }
    // A record not reached yet reads as a fresh one, without reaching it.
    const T& operator[](std::size_t i) const { return i < reached_ ? records_[i] : fresh(); }

    // The records from the first on, for reading; those below the index
    // reached so far are all there.
    const T* data() const { return records_; }
    const T* begin() const { return records_; }

    // Every record is fresh again; the memory stays.
    void reset() { reached_ = 0; }

private:
    static const T& fresh() {
        static const T record{};
        return record;
    }

    void reach(std::size_t i) {
        if (i >= capacity_) {
            throw std::out_of_range("a scene model table is indexed beyond its capacity");
        }
        for (; reached_ <= i; ++reached_) {
            ::new (static_cast<void*>(records_ + reached_)) T();
        }
    }

    std::size_t capacity_;
    T* records_;
    std::size_t reached_ = 0;
};

} // namespace kzo
