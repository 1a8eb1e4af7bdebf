#pragma once
// The owning array a record keeps its properties and children in: one pointer wide, with
// the size and capacity kept in front of the elements, so that a record without children
// or properties pays 8 bytes for each instead of a std::vector's 24. A million small
// records are a common stream; their lists are mostly empty.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace orlenth {

template <typename T> class TRecordList {
public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;
    using size_type = std::size_t;

    TRecordList() noexcept = default;
    TRecordList(std::initializer_list<T> items) {
        Construct([&] { Append(items.begin(), items.end()); });
    }
    TRecordList(std::vector<T>&& items) {
        Construct([&] {
            reserve(items.size());
            for (auto& item : items) push_back(std::move(item));
        });
    }
    TRecordList(const TRecordList& other) {
        Construct([&] { Append(other.begin(), other.end()); });
    }
    TRecordList(TRecordList&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    TRecordList& operator=(const TRecordList& other) {
        if (this != &other) *this = TRecordList(other);
        return *this;
    }
    TRecordList& operator=(TRecordList&& other) noexcept {
        if (this != &other) {
            Release();
            block_ = std::exchange(other.block_, nullptr);
        }
        return *this;
    }
    TRecordList& operator=(std::initializer_list<T> items) { return *this = TRecordList(items); }
    TRecordList& operator=(std::vector<T>&& items) { return *this = TRecordList(std::move(items)); }
    ~TRecordList() { Release(); }

    size_type size() const noexcept { return block_ ? block_->size : 0; }
    size_type capacity() const noexcept { return block_ ? block_->capacity : 0; }
    bool empty() const noexcept { return size() == 0; }

    T* data() noexcept { return block_ ? Items(block_) : nullptr; }
    const T* data() const noexcept { return block_ ? Items(block_) : nullptr; }
    iterator begin() noexcept { return data(); }
    iterator end() noexcept { return data() + size(); }
    const_iterator begin() const noexcept { return data(); }
    const_iterator end() const noexcept { return data() + size(); }
    T& operator[](size_type i) noexcept { return data()[i]; }
    const T& operator[](size_type i) const noexcept { return data()[i]; }
    T& front() noexcept { return data()[0]; }
    const T& front() const noexcept { return data()[0]; }
    T& back() noexcept { return data()[size() - 1]; }
    const T& back() const noexcept { return data()[size() - 1]; }

    // Exactly n places, as the reader knows each list's length before reading it.
    void reserve(size_type n) {
        if (n > capacity()) Regrow(n);
    }
    template <typename... Args> T& emplace_back(Args&&... args) {
        if (size() == capacity()) {
            // Made before the move, so that args may refer into this list.
            T item(std::forward<Args>(args)...);
            Regrow(Grown());
            ::new (static_cast<void*>(end())) T(std::move(item));
            return Bump();
        }
        ::new (static_cast<void*>(end())) T(std::forward<Args>(args)...);
        return Bump();
    }
    void push_back(const T& item) { emplace_back(item); }
    void push_back(T&& item) { emplace_back(std::move(item)); }
    iterator insert(const_iterator pos, T item) {
        const auto at = static_cast<size_type>(pos - begin());
        emplace_back(std::move(item));
        std::rotate(begin() + at, end() - 1, end());
        return begin() + at;
    }
    void clear() noexcept {
        if (!block_) return;
        std::destroy(begin(), end());
        block_->size = 0;
    }

private:
    struct alignas(std::max_align_t) Header {
        std::uint32_t size;
        std::uint32_t capacity;
    };
    static_assert(alignof(Header) >= alignof(std::max_align_t));

    static T* Items(Header* h) noexcept { return reinterpret_cast<T*>(h + 1); }
    static const T* Items(const Header* h) noexcept { return reinterpret_cast<const T*>(h + 1); }

    T& Bump() noexcept { return Items(block_)[block_->size++]; }
    size_type Grown() const noexcept { return capacity() ? capacity() * 2 : 1; }
    template <typename It> void Append(It first, It last) {
        reserve(static_cast<size_type>(last - first));
        for (; first != last; ++first) push_back(*first);
    }
    // A constructor that throws halfway never runs the destructor: what it made so far
    // is released here instead of leaking.
    template <typename Fill> void Construct(Fill fill) {
        try {
            fill();
        } catch (...) {
            Release();
            throw;
        }
    }
    void Regrow(size_type n) {
        static_assert(alignof(T) <= alignof(Header));
        static_assert(std::is_nothrow_move_constructible_v<T>);
        if (n > UINT32_MAX) throw std::bad_alloc();
        auto* fresh = static_cast<Header*>(::operator new(sizeof(Header) + n * sizeof(T)));
        fresh->size = static_cast<std::uint32_t>(size());
        fresh->capacity = static_cast<std::uint32_t>(n);
        if (block_) {
            std::uninitialized_move(begin(), end(), Items(fresh));
            Release();
        }
        block_ = fresh;
    }
    void Release() noexcept {
        if (!block_) return;
        std::destroy(begin(), end());
        ::operator delete(block_);
        block_ = nullptr;
    }

    Header* block_ = nullptr;
};

} // namespace orlenth
