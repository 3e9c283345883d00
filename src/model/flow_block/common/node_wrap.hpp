// What a built block shows to its parent: entry nodes, exit node, latency.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "model/nodes/ncp_ident.hpp"

namespace vorlent {

// The latency of a block whose number of cycles is not fixed.
inline constexpr int32_t IN_CONSIST_CYCLE_USED = -1;

// The entry nodes of a built block, in order. A parallel block's entries are
// its own, then every branch's: the list refers to the lists it is made of
// instead of copying them, so blocks nested to any depth hand their entries
// up in constant time and memory per level. Immutable; copies share.
class EntryList {
    struct Part;

public:
    EntryList() = default;
    EntryList(std::initializer_list<NcpIdent> own) : EntryList(std::vector<NcpIdent>(own)) {}
    // `own` first, then the entries of each of `nested`, in order.
    EntryList(std::vector<NcpIdent> own, std::vector<EntryList> nested = {});
    EntryList(const EntryList&) = default;
    EntryList(EntryList&&) noexcept = default;
    // By value: the list let go of is freed by the destructor.
    EntryList& operator=(EntryList other) noexcept {
        part_.swap(other.part_);
        return *this;
    }
    // Lists nest as deep as blocks do: the parts this list alone holds are
    // freed one after another, not by recursion.
    ~EntryList();

    // Forward iteration in list order.
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = NcpIdent;
        using difference_type = std::ptrdiff_t;
        using pointer = const NcpIdent*;
        using reference = const NcpIdent&;

        iterator() = default;
        reference operator*() const { return *current_; }
        pointer operator->() const { return current_; }
        iterator& operator++();
        iterator operator++(int) {
            iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const iterator& a, const iterator& b) {
            return a.current_ == b.current_;
        }

    private:
        friend class EntryList;
        explicit iterator(const Part* root);
        void settle();

        // Parts being walked, outermost first; `next` counts the part's own
        // entries, then its nested lists.
        struct Frame {
            const Part* part;
            size_t next;
        };
        std::vector<Frame> stack_;
        const NcpIdent* current_ = nullptr;
    };
    using const_iterator = iterator;

    iterator begin() const { return iterator(part_.get()); }
    iterator end() const { return iterator(); }
    size_t size() const;
    bool empty() const { return size() == 0; }
    // The i-th entry, by walking the list; stops past the end.
    const NcpIdent& at(size_t i) const;
    const NcpIdent& operator[](size_t i) const { return at(i); }

    friend bool operator==(const EntryList& a, const EntryList& b);
    friend bool operator==(const EntryList& a, const std::vector<NcpIdent>& b);

private:
    struct Part {
        std::vector<NcpIdent> own;
        std::vector<EntryList> nested;
        size_t size;
    };
    std::shared_ptr<Part> part_;  // never changed once made, until it is freed
};

// The global ids drawn while a block was built, its nested blocks with it:
// every node made for it has one, every other node none. Empty when unknown.
struct IdSpan {
    uint64_t first = 0;
    uint64_t end = 0;
    bool empty() const { return first == end; }
    bool contains(uint64_t id) const { return first <= id && id < end; }
};

class NodeWrap {
public:
    // Stops with "assertion failed: cycle == IN_CONSIST_CYCLE_USED || cycle >= 0"
    // for a cycle below -1.
    NodeWrap(EntryList samples, std::optional<NcpIdent> exit, int32_t cycle);

    const EntryList& samples() const { return samples_; }
    bool has_exit() const { return exit_.has_value(); }
    // Stops with "NodeWrap exit node is not set" when there is none.
    const NcpIdent& exit() const;
    int32_t cycle() const { return cycle_; }
    // Set by the block build when the block is complete.
    IdSpan made() const { return IdSpan{made_first_, made_first_ + made_count_}; }
    // A span too long to keep is kept as unknown.
    void set_made(IdSpan made);

private:
    // 64 bytes, as every step of a seq block holds room for one.
    EntryList samples_;
    OptIdent<NcpIdent> exit_;
    int32_t cycle_;
    uint32_t made_count_ = 0;
    uint64_t made_first_ = 0;
};

// The sum of a list of latencies, or -1 as soon as one is -1. An empty list is
// the fatal error "assertion failed: !self.samples.is_empty()".
int32_t sum_cycles(const std::vector<int32_t>& cycles);
// -1 when the first value is -1; else the first value when all are equal;
// else -1. Same refusal of an empty list.
int32_t uniform_cycles(const std::vector<int32_t>& cycles);

}  // namespace vorlent
