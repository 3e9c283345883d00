// A vector that keeps up to N elements in place and moves them to the heap
// only past that. Most lists of the model hold one or two entries (the
// branches of a conditional event, the assignments of a node, the limbs of a
// constant, a node's predecessors): in place they cost no allocation and no
// allocator header, and the list itself costs eight bytes beyond its room.
// With N = 0 it is a vector of 16 bytes instead of 24. Past its room it
// grows by half (by one while that is more), so the short lists of the model
// end up close to their size; references die on growth.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace vorlent {

template <class T, uint32_t N>
class SmallVec {
public:
    using value_type = T;
    using size_type = size_t;
    using iterator = T*;
    using const_iterator = const T*;
    using reverse_iterator = std::reverse_iterator<T*>;
    using const_reverse_iterator = std::reverse_iterator<const T*>;
    using reference = T&;
    using const_reference = const T&;

    SmallVec() noexcept {}
    SmallVec(std::initializer_list<T> items) { append(items.begin(), items.end()); }
    template <std::input_iterator It>
    SmallVec(It first, It last) {
        append(first, last);
    }
    SmallVec(const SmallVec& o) { append(o.begin(), o.end()); }
    SmallVec(SmallVec&& o) noexcept { take(std::move(o)); }
    SmallVec& operator=(const SmallVec& o) {
        if (this != &o) {
            clear();
            append(o.begin(), o.end());
        }
        return *this;
    }
    SmallVec& operator=(SmallVec&& o) noexcept {
        if (this != &o) {
            release();
            take(std::move(o));
        }
        return *this;
    }
    ~SmallVec() { release(); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    size_t capacity() const { return cap_; }
    T* data() { return on_heap() ? heap_ : in_place(); }
    const T* data() const { return const_cast<SmallVec*>(this)->data(); }

    iterator begin() { return data(); }
    iterator end() { return data() + size_; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size_; }
    reverse_iterator rbegin() { return reverse_iterator(end()); }
    reverse_iterator rend() { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }
    T& operator[](size_t i) { return data()[i]; }
    const T& operator[](size_t i) const { return data()[i]; }
    T& at(size_t i) {
        if (i >= size_) throw std::out_of_range("SmallVec::at");
        return data()[i];
    }
    const T& at(size_t i) const { return const_cast<SmallVec*>(this)->at(i); }
    T& front() { return data()[0]; }
    const T& front() const { return data()[0]; }
    T& back() { return data()[size_ - 1]; }
    const T& back() const { return data()[size_ - 1]; }

    void reserve(size_t n) {
        if (n > cap_) grow_to(n);
    }
    template <class... Args>
    T& emplace_back(Args&&... args) {
        if (size_ == cap_) {
            // The new element may be built from one already inside.
            T item(std::forward<Args>(args)...);
            grow_to(std::max<size_t>(size_t(cap_) + 1, size_t(cap_) + cap_ / 2));
            return *new (data() + size_++) T(std::move(item));
        }
        return *new (data() + size_++) T(std::forward<Args>(args)...);
    }
    void push_back(const T& item) { emplace_back(item); }
    void push_back(T&& item) { emplace_back(std::move(item)); }
    void pop_back() { data()[--size_].~T(); }
    // Drops surplus elements or appends copies of `fill`.
    void resize(size_t n, const T& fill = T()) {
        while (size_ > n) pop_back();
        reserve(n);
        while (size_ < n) emplace_back(fill);
    }
    void clear() {
        std::destroy(begin(), end());
        size_ = 0;
    }
    iterator erase(const_iterator pos) {
        T* at = begin() + (pos - begin());
        std::move(at + 1, end(), at);
        pop_back();
        return at;
    }
    iterator insert(const_iterator pos, T item) {
        const size_t at = size_t(pos - begin());
        emplace_back(std::move(item));
        std::rotate(begin() + at, end() - 1, end());
        return begin() + at;
    }

    friend bool operator==(const SmallVec& a, const SmallVec& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    // Equal to any other list of the same elements (std::vector, ...).
    template <class Range>
    requires(!std::is_same_v<Range, SmallVec>) && requires(const Range& r) { std::begin(r); }
    friend bool operator==(const SmallVec& a, const Range& b) {
        return std::equal(a.begin(), a.end(), std::begin(b), std::end(b));
    }

private:
    bool on_heap() const { return cap_ > N; }
    T* in_place() {
        if constexpr (N == 0)
            return nullptr;
        else
            return std::launder(reinterpret_cast<T*>(place_));
    }

    template <class It>
    void append(It first, It last) {
        if constexpr (std::forward_iterator<It>)
            reserve(size_ + size_t(std::distance(first, last)));
        for (; first != last; ++first) emplace_back(*first);
    }
    void grow_to(size_t n) {
        T* fresh = static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t(alignof(T))));
        std::uninitialized_move(begin(), end(), fresh);
        const uint32_t size = size_;
        release();
        heap_ = fresh;
        size_ = size;
        cap_ = uint32_t(n);
    }
    // Destroys the elements and frees the heap room; leaves an empty list.
    void release() {
        clear();
        if (on_heap()) ::operator delete(heap_, std::align_val_t(alignof(T)));
        cap_ = N;
    }
    // From an empty list: takes over the other list's elements.
    void take(SmallVec&& o) {
        if (o.on_heap()) {
            heap_ = std::exchange(o.heap_, nullptr);
            cap_ = std::exchange(o.cap_, N);
        } else {
            std::uninitialized_move(o.begin(), o.end(), in_place());
            std::destroy(o.begin(), o.end());
        }
        size_ = std::exchange(o.size_, 0);
    }

    uint32_t size_ = 0;
    uint32_t cap_ = N;
    union {
        T* heap_ = nullptr;
        alignas(T) std::byte place_[N == 0 ? 1 : N * sizeof(T)];
    };
};

}  // namespace vorlent
