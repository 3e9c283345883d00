// The generic arena. Every model element lives by value in the ArenaGroup of
// its kind; elements refer to one another through identities that carry an
// ArenaHandle. Slots are never removed or reused, so handles stay valid for
// the life of the model.
//
// An operation that needs one element and the whole model at once takes the
// element out (`take`), which leaves the kind's default element in the slot
// and hands back a Taken<T> guard. The guard puts the element back, either
// explicitly (`put_back`, which tests the handle stored in the element's own
// identity) or, if the operation stops with a fatal error, while the error
// unwinds, so no element is ever lost to a caught error.
//
// Elements never move once inserted, so references returned by `get`/`get_mut`
// stay valid across inserts; a take or put-back replaces what the slot holds.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "common/fatal.hpp"
#include "common/name_store.hpp"

namespace vorlent {

// Eight bytes: identities carry handles everywhere, and an arena refuses to
// hold more than 2^32 elements (ArenaGroup::MAX_SLOTS).
struct ArenaHandle {
    static constexpr uint32_t NULL_GENERATION = 0xFFFFFFFFu;
    // Slots a handle can address: what makes more elements at once refuses
    // a count at or above this before making any.
    static constexpr size_t INDEX_LIMIT = size_t(1) << 32;

    uint32_t index = 0;
    uint32_t generation = NULL_GENERATION;

    constexpr ArenaHandle() = default;
    constexpr ArenaHandle(size_t index, uint32_t generation)
        : index(uint32_t(index)), generation(generation) {}

    static constexpr ArenaHandle null() { return ArenaHandle{}; }
    bool is_null() const { return index == 0 && generation == NULL_GENERATION; }
    friend bool operator==(const ArenaHandle&, const ArenaHandle&) = default;
};

// "ArenaHandle { index: 3, generation: 0 }"
std::string debug_repr(const ArenaHandle& h);

// What the arena needs of an element kind: its identity's global id (for the
// take check), a way to stamp the handle into its identity, and the kind's
// default element, which holds the slot while the element is out.
template <class T>
concept ArenaElement = requires(T& t, const T& ct, ArenaHandle h) {
    { ct.arena_global_id() } -> std::convertible_to<uint64_t>;
    { ct.arena_handle() } -> std::convertible_to<ArenaHandle>;
    t.set_arena_handle(h);
    { T::arena_default() } -> std::same_as<T>;
};

[[noreturn]] void arena_index_out_of_range();
[[noreturn]] void arena_full(size_t max_slots);
[[noreturn]] void arena_generation_mismatch(uint32_t slot_generation, uint32_t handle_generation);
[[noreturn]] void arena_already_taken(uint64_t global_id);
[[noreturn]] void arena_identity_mismatch(uint64_t slot_global_id, uint64_t ident_global_id);
// Stops with the first of these that applies: the generation mismatch, the
// element already taken out, the identity mismatch.
[[noreturn]] void arena_access_refused(uint32_t slot_generation, uint32_t handle_generation,
                                       bool taken, uint64_t slot_global_id,
                                       uint64_t ident_global_id);

template <ArenaElement T>
class ArenaGroup;

// An element taken out of its arena. Move-only; while it is alive the slot
// holds the default element.
template <ArenaElement T>
class Taken {
public:
    Taken(ArenaGroup<T>* group, size_t index, T&& element)
        : group_(group), index_(index), element_(std::move(element)) {}
    Taken(Taken&& other) noexcept
        : group_(other.group_), index_(other.index_), element_(std::move(other.element_)) {
        other.element_.reset();
    }
    Taken& operator=(Taken&&) = delete;
    Taken(const Taken&) = delete;
    Taken& operator=(const Taken&) = delete;
    ~Taken() {
        if (element_) group_->restore(index_, std::move(*element_));
    }

    T& operator*() { return *element_; }
    const T& operator*() const { return *element_; }
    T* operator->() { return &*element_; }
    const T* operator->() const { return &*element_; }

    // Puts the element back into its slot by the handle in its own identity.
    void put_back() {
        group_->replace_back(element_->arena_handle(), std::move(*element_));
        element_.reset();
    }

    // Hands the element over for good: its slot stays marked taken, holding
    // the default element, until the element returns through replace_back.
    // For an operation that keeps the element out while the model may be
    // lent elsewhere, so no guard may point into the model meanwhile.
    T release() && {
        T out = std::move(*element_);
        element_.reset();
        return out;
    }

private:
    ArenaGroup<T>* group_;
    size_t index_;
    std::optional<T> element_;
};

// Slot storage that grows by adding segments, each twice the size of the one
// before: elements never move once placed (no copy on growth, no doubled
// peak while a buffer is replaced), and only the pages a segment actually
// uses are touched.
template <class Node>
class SegmentedSlots {
public:
    SegmentedSlots() = default;
    SegmentedSlots(SegmentedSlots&& o) noexcept
        : segments_(std::move(o.segments_)), size_(std::exchange(o.size_, 0)) {}
    SegmentedSlots& operator=(SegmentedSlots&& o) noexcept {
        if (this != &o) {
            clear();
            segments_ = std::move(o.segments_);
            size_ = std::exchange(o.size_, 0);
        }
        return *this;
    }
    SegmentedSlots(const SegmentedSlots&) = delete;
    SegmentedSlots& operator=(const SegmentedSlots&) = delete;
    ~SegmentedSlots() { clear(); }

    size_t size() const { return size_; }
    Node& operator[](size_t i) {
        const Pos p = pos(i);
        return segments_[p.segment][p.offset];
    }
    const Node& operator[](size_t i) const { return const_cast<SegmentedSlots&>(*this)[i]; }
    Node& back() { return (*this)[size_ - 1]; }

    void push_back(Node&& node) {
        const Pos p = pos(size_);
        if (p.segment == segments_.size())
            segments_.push_back(static_cast<Node*>(::operator new(
                segment_len(p.segment) * sizeof(Node), std::align_val_t(alignof(Node)))));
        new (&segments_[p.segment][p.offset]) Node(std::move(node));
        ++size_;
    }

private:
    static constexpr size_t FIRST_BITS = 3;  // the first segment holds 8 slots
    struct Pos {
        size_t segment;
        size_t offset;
    };
    static size_t segment_len(size_t segment) { return size_t(1) << (segment + FIRST_BITS); }
    // Segment s starts at slot (2^s - 1) * 2^FIRST_BITS.
    static Pos pos(size_t i) {
        const size_t q = (i >> FIRST_BITS) + 1;
        const size_t segment = size_t(std::bit_width(q)) - 1;
        return Pos{segment,
                   i - ((size_t(1) << (segment + FIRST_BITS)) - (size_t(1) << FIRST_BITS))};
    }
    void clear() {
        for (size_t i = 0; i < size_; ++i) (*this)[i].~Node();
        for (Node* s : segments_) ::operator delete(s, std::align_val_t(alignof(Node)));
        segments_.clear();
        size_ = 0;
    }

    std::vector<Node*> segments_;
    size_t size_ = 0;
};

// Slots are never reused, so every stored element is of the first
// generation (0); a handle of any other is refused. The taken marks sit in a
// bit set of their own rather than beside each element, where alignment
// would make each of them cost eight bytes.
template <ArenaElement T>
class ArenaGroup {
public:
    // A handle's index has 32 bits.
    static constexpr size_t MAX_SLOTS = size_t(1) << 32;

    ArenaGroup() = default;
    // An arena that holds fewer elements, so that a test reaches the limit.
    explicit ArenaGroup(size_t max_slots) : max_slots_(max_slots) {}

    // Appends a slot, stamps the handle into the stored element's identity
    // and returns it. Stops before the index would leave its 32 bits.
    ArenaHandle insert(T element) {
        if (slots_.size() >= max_slots_) [[unlikely]]
            arena_full(max_slots_);
        const ArenaHandle h{slots_.size(), 0};
        if (slots_.size() % 64 == 0) taken_.push_back(0);
        slots_.push_back(std::move(element));
        slots_.back().set_arena_handle(h);
        return h;
    }

    // The slot by its handle alone (index, then generation), whatever it
    // holds: for handles the model keeps itself (a component's module, a
    // module's parent) and for looking at a slot whose element is out.
    const T& get(ArenaHandle h) const { return node(h); }
    T& get_mut(ArenaHandle h) { return node(h); }

    // The element an identity names, in place. Besides the handle test, the
    // slot must hold that element: not taken out, same global id. Global ids
    // are unique in the process, so an identity of another model whose
    // handle happens to be in range is refused too.
    const T& get(ArenaHandle h, uint64_t ident_global_id) const {
        return named(h, ident_global_id);
    }
    T& get_mut(ArenaHandle h, uint64_t ident_global_id) { return named(h, ident_global_id); }

    // Takes the element out, after the checks of `get`.
    Taken<T> take(ArenaHandle h, uint64_t ident_global_id) {
        T& n = named(h, ident_global_id);
        T out = std::exchange(n, make_default());
        set_taken(h.index, true);
        return Taken<T>(this, h.index, std::move(out));
    }

    // The element in place, after the checks of a take. For a short step
    // that neither takes the element out nor reaches it again while it runs:
    // it costs no move and no placeholder.
    T& checked_mut(ArenaHandle h, uint64_t ident_global_id) { return named(h, ident_global_id); }

    // Puts an element into its slot, dropping what the slot held.
    void replace_back(ArenaHandle h, T&& element) {
        node(h) = std::move(element);
        set_taken(h.index, false);
    }

    // Takes the elements of the slots from `first` on out for good, for a
    // call that made them and failed: each slot keeps the kind's default and
    // stays marked taken, so no identity reaches its element again, and it
    // is never reused.
    void take_out_for_good(size_t first) {
        for (size_t i = first; i < slots_.size(); ++i) {
            slots_[i] = make_default();
            set_taken(i, true);
        }
    }

    size_t size() const { return slots_.size(); }
    bool is_taken(size_t index) const { return (taken_[index / 64] >> (index % 64)) & 1; }

private:
    friend class Taken<T>;

    // The handle test: index first, then generation.
    T& node(ArenaHandle h) {
        if (h.index >= slots_.size()) [[unlikely]]
            arena_index_out_of_range();
        if (h.generation != 0) [[unlikely]]
            arena_generation_mismatch(0, h.generation);
        return slots_[h.index];
    }
    const T& node(ArenaHandle h) const { return const_cast<ArenaGroup*>(this)->node(h); }

    // The slot of the element an identity names. Every access by identity
    // passes here, so the way costs one bounds test and one branch: the
    // generation, taken and global id tests fold into one word, and only a
    // refusal works out which of them failed.
    T& named(ArenaHandle h, uint64_t ident_global_id) {
        if (h.index >= slots_.size()) [[unlikely]]
            arena_index_out_of_range();
        T& n = slots_[h.index];
        const uint64_t slot_global_id = n.arena_global_id();
        const uint64_t taken = (taken_[h.index / 64] >> (h.index % 64)) & 1;
        if (((slot_global_id ^ ident_global_id) | h.generation | taken) != 0) [[unlikely]]
            arena_access_refused(0, h.generation, taken != 0, slot_global_id, ident_global_id);
        return n;
    }
    const T& named(ArenaHandle h, uint64_t ident_global_id) const {
        return const_cast<ArenaGroup*>(this)->named(h, ident_global_id);
    }

    // The placeholder of a taken element. Its names (a default may draw a
    // fresh identity) are its own, freed with it when the element comes
    // back, not left in the model's store for good.
    static T make_default() {
        const NameStoreScope own_names(nullptr);
        return T::arena_default();
    }

    // Unchecked return of a guarded element while an error unwinds.
    void restore(size_t index, T&& element) noexcept {
        slots_[index] = std::move(element);
        set_taken(index, false);
    }

    void set_taken(size_t index, bool taken) {
        const uint64_t bit = uint64_t(1) << (index % 64);
        taken_[index / 64] = taken ? taken_[index / 64] | bit : taken_[index / 64] & ~bit;
    }

    SegmentedSlots<T> slots_;
    std::vector<uint64_t> taken_;  // one bit per slot
    size_t max_slots_ = MAX_SLOTS;
};

// An element of one of several kinds taken out of its arena, used through the
// interface `Base` that all the kinds implement.
template <class Base, class... Ts>
class TakenAny {
public:
    template <class T>
    TakenAny(Taken<T>&& t) : v_(std::in_place_type<Taken<T>>, std::move(t)) {}

    Base* operator->() { return &**this; }
    Base& operator*() {
        return std::visit([](auto& t) -> Base& { return *t; }, v_);
    }

    // The element as its concrete kind, or null when it is of another kind.
    template <class T>
    T* get_if() {
        auto* t = std::get_if<Taken<T>>(&v_);
        return t ? &**t : nullptr;
    }

    void put_back() {
        std::visit([](auto& t) { t.put_back(); }, v_);
    }

private:
    std::variant<Taken<Ts>...> v_;
};

}  // namespace vorlent
