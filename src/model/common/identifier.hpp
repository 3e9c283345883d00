// Element identity: the IdentBase record embedded in every typed identity,
// the process-wide global id counter, the name rule and the Identifiable
// interface of hardware components and flow blocks.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "common/arena_base.hpp"
#include "common/name_store.hpp"
#include "model/common/opt_ident.hpp"

namespace vorlent {

inline constexpr uint64_t MAX_NAME_LEN = 256;

// Takes the next process-wide global id: one sequentially consistent
// fetch-and-add on a counter that starts at 0 and is never reset.
uint64_t next_global_id();
// The id the next identity will take (the counter's current value).
uint64_t peek_global_id();

// Stops with "name exceeds MAX_NAME_LEN (256): \"...\"" when `name` is longer
// than MAX_NAME_LEN bytes.
void check_name_len(std::string_view name);

// The identity record. Identities are plain values copied wherever an element
// is referred to, so the record is kept small: the two names live together in
// one immutable text block (copying an identity shares it and never
// allocates). Both names are 0 to 256 bytes of UTF-8.
//
// A name block lives either in the NameStore current when the identity was
// named (see NameStoreScope), freed with its store and copied with no
// bookkeeping at all, or, when no store is current, in a block of its own
// that the copies share and count.
class IdentBase {
public:
    // Immutable once built. `refs` counts the identities sharing a block of
    // their own; a store's blocks are not counted.
    struct Names {
        std::atomic<uint32_t> refs;
        uint16_t abs_len;
        uint16_t rel_len;
        uint16_t rel_at;  // where the rel name starts: inside the abs name, which
                          // usually contains it, else right after it
        char bytes[1];    // the abs name, then the rel name unless inside it

        // Where `rel` starts in `abs`, or abs.size() when it must follow.
        static size_t rel_offset(std::string_view abs, std::string_view rel) {
            const size_t at = rel.empty() ? 0 : abs.find(rel);
            return at == std::string_view::npos ? abs.size() : at;
        }
        static size_t size_for(std::string_view abs, std::string_view rel) {
            const size_t at = rel_offset(abs, rel);
            return offsetof(Names, bytes) + abs.size() + (at == abs.size() ? rel.size() : 0);
        }
        static Names* place(void* mem, std::string_view abs, std::string_view rel, uint32_t refs);
        static const Names* make_counted(std::string_view abs, std::string_view rel);
        std::string_view abs() const { return std::string_view(bytes, abs_len); }
        std::string_view rel() const { return std::string_view(bytes + rel_at, rel_len); }
        void acquire() const;
        void release() const;
    };
    // The all-zero identity: global id 0, not user-made, empty names, null handle.
    IdentBase() = default;
    // A new identity with the given id and flag and both names stored under
    // the name rule (the relative name is checked first).
    IdentBase(uint64_t global_id, bool is_user_com, std::string_view rel_name,
              std::string_view abs_name);
    IdentBase(const IdentBase& o)
        : global_id_(o.global_id_), arena_handle_(o.arena_handle_), bits_(o.bits_) {
        if (owns_names()) names()->acquire();
    }
    IdentBase(IdentBase&& o) noexcept
        : global_id_(o.global_id_), arena_handle_(o.arena_handle_), bits_(o.bits_) {
        o.bits_ &= USER_BIT;
    }
    IdentBase& operator=(const IdentBase& o) {
        if (this != &o) {
            if (o.owns_names()) o.names()->acquire();
            release_names();
            global_id_ = o.global_id_;
            arena_handle_ = o.arena_handle_;
            bits_ = o.bits_;
        }
        return *this;
    }
    IdentBase& operator=(IdentBase&& o) noexcept {
        if (this != &o) {
            release_names();
            global_id_ = o.global_id_;
            arena_handle_ = o.arena_handle_;
            bits_ = o.bits_;
            o.bits_ &= USER_BIT;
        }
        return *this;
    }
    ~IdentBase() { release_names(); }

    uint64_t global_id() const { return global_id_; }
    bool is_user_com() const { return bits_ & USER_BIT; }
    std::string_view abs_name() const { return names() ? names()->abs() : std::string_view(); }
    std::string_view rel_name() const { return names() ? names()->rel() : std::string_view(); }
    std::string get_abs_name() const { return std::string(abs_name()); }
    const ArenaHandle& arena_handle() const { return arena_handle_; }

    void set_abs_name(std::string_view name);
    void set_rel_name(std::string_view name);
    void set_arena_handle(ArenaHandle h) { arena_handle_ = h; }

    // The block in a store that holds the names, or null when they are in a
    // counted block of their own (or empty).
    const Names* store_names() const { return owns_names() ? nullptr : names(); }
    // Moves the names into a counted block of their own, so the identity may
    // outlive the store (an identity handed to Python).
    void detach_names();
    // Uses `names`, a block of a store that is alive, with the same text.
    void attach_store_names(const Names* names);

    // Equal when the global ids and the absolute names are equal; the flag,
    // the relative names and the handles do not take part.
    friend bool operator==(const IdentBase& a, const IdentBase& b) {
        return a.global_id_ == b.global_id_ &&
               (a.names() == b.names() || a.abs_name() == b.abs_name());
    }

private:
    // The names pointer and two flags in one word (name blocks are aligned
    // to 4): identities are copied everywhere, so every byte counts.
    static constexpr uintptr_t OWNS_BIT = 1;  // a counted block; else a store's (or none)
    static constexpr uintptr_t USER_BIT = 2;  // is_user_com
    static constexpr uintptr_t FLAG_BITS = OWNS_BIT | USER_BIT;
    static_assert(alignof(Names) > FLAG_BITS);

    const Names* names() const { return reinterpret_cast<const Names*>(bits_ & ~FLAG_BITS); }
    bool owns_names() const { return bits_ & OWNS_BIT; }
    void set_names_ptr(const Names* n, bool owns) {
        bits_ = reinterpret_cast<uintptr_t>(n) | (owns ? OWNS_BIT : 0) | (bits_ & USER_BIT);
    }
    void set_names(std::string_view rel_name, std::string_view abs_name);
    void release_names() {
        if (owns_names()) names()->release();
    }

    uint64_t global_id_ = 0;
    ArenaHandle arena_handle_ = ArenaHandle::null();
    uintptr_t bits_ = 0;
};

// Debug form: every field by name, in declaration order; the two name
// buffers render as lists of 256 byte values, as a fixed buffer would.
std::string debug_repr(const IdentBase& id);

// Builds a new identity the way every typed identity constructor does: takes
// the next global id, then stores the relative name and the absolute name
// "{display}_{rel}_{id}". A relative name that would make the absolute name
// longer than MAX_NAME_LEN is cut to fit: the caller's names are checked
// where they are given (model/common/name_check), so only names the system
// derives from them ever grow that long, but for the element's own name
// that a WholeNames names (see there).
IdentBase make_ident(bool is_user_com, std::string_view display, std::string_view rel_name);

// For the call that makes an element of the kind shown as `display` from the
// caller's `name`: that name is the caller's, not a derived one, so an
// identity of that kind named from it ("{name}", or "{name}_t" for the nodes
// of a folded tree) is judged by the id it takes itself. Once
// "{display}_{name}_{id}" is over MAX_NAME_LEN, the identity keeps its name
// whole and the call stops as the name rule says, with the id drawn, however
// many ids the call drew before it. The identity named "{name}" itself is the
// element's own and ends the judging. Nests: the innermost one judges.
class WholeNames {
public:
    WholeNames(std::string_view display, std::string_view name);
    ~WholeNames();
    WholeNames(const WholeNames&) = delete;
    WholeNames& operator=(const WholeNames&) = delete;

    // Whether a name of the caller's may be too long with some id: only then
    // is one needed.
    static bool may_judge(std::string_view display, std::string_view name);

    // Whether an identity of `display` named `rel_name` that takes `id`
    // keeps its name whole; asked only for a name that does not fit.
    bool keeps_whole(std::string_view display, std::string_view rel_name, uint64_t id) const;
    // Told of every identity made whole while this is innermost.
    void made(std::string_view display, std::string_view rel_name) {
        if (rel_name.size() == name_.size() && rel_name == name_ && display == display_)
            own_made_ = true;
    }

private:
    std::string_view display_;
    std::string_view name_;
    bool own_made_ = false;
    WholeNames* outer_;
};

// The Identifiable interface of hardware components and flow blocks: the
// identity accessors every kind supplies, and the defaults built on them.
class Identifiable {
public:
    virtual ~Identifiable() = default;
    virtual const IdentBase& get_ident_base() const = 0;
    virtual IdentBase& get_ident_base_mut() = 0;

    uint64_t get_global_id() const { return get_ident_base().global_id(); }
    std::string_view get_global_name() const { return get_ident_base().abs_name(); }
    void set_global_name(std::string_view name) { get_ident_base_mut().set_abs_name(name); }
    std::string_view get_rel_name() const { return get_ident_base().rel_name(); }
    void set_rel_name(std::string_view name) { get_ident_base_mut().set_rel_name(name); }
    bool get_is_user_com() const { return get_ident_base().is_user_com(); }
    const ArenaHandle& get_arena_handle() const { return get_ident_base().arena_handle(); }
    void set_arena_handle(size_t index, uint32_t generation) {
        get_ident_base_mut().set_arena_handle(ArenaHandle{index, generation});
    }
};

}  // namespace vorlent
