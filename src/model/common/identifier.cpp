#include "model/common/identifier.hpp"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace vorlent {

namespace {
std::atomic<uint64_t> GLOBAL_MODEL_ID{0};
thread_local WholeNames* whole_names = nullptr;
// How many WholeNames live, on any thread: make_ident looks for its thread's
// own only while one does, so an ordinary call reads no thread-local state.
// A thread always sees its own increments, whatever the order.
std::atomic<uint32_t> whole_names_alive{0};
}  // namespace

WholeNames::WholeNames(std::string_view display, std::string_view name)
    : display_(display), name_(name), outer_(whole_names) {
    whole_names = this;
    whole_names_alive.fetch_add(1, std::memory_order_relaxed);
}
WholeNames::~WholeNames() {
    whole_names = outer_;
    whole_names_alive.fetch_sub(1, std::memory_order_relaxed);
}

bool WholeNames::may_judge(std::string_view display, std::string_view name) {
    constexpr size_t MAX_ID_DIGITS = 20;  // of a u64
    return display.size() + name.size() + 2 + MAX_ID_DIGITS > MAX_NAME_LEN;
}

bool WholeNames::keeps_whole(std::string_view display, std::string_view rel_name,
                             uint64_t id) const {
    return !own_made_ && display == display_ && rel_name.starts_with(name_) &&
           display.size() + name_.size() + 2 + decimal_digits(id) > MAX_NAME_LEN;
}

uint64_t next_global_id() { return GLOBAL_MODEL_ID.fetch_add(1, std::memory_order_seq_cst); }
uint64_t peek_global_id() { return GLOBAL_MODEL_ID.load(std::memory_order_seq_cst); }

void check_name_len(std::string_view name) {
    if (name.size() > MAX_NAME_LEN) [[unlikely]]
        fatal(format("name exceeds MAX_NAME_LEN ({}): \"{}\"", MAX_NAME_LEN, name));
}

IdentBase::Names* IdentBase::Names::place(void* mem, std::string_view abs, std::string_view rel,
                                          uint32_t refs) {
    const size_t at = rel_offset(abs, rel);
    Names* n =
        new (mem) Names{{refs}, uint16_t(abs.size()), uint16_t(rel.size()), uint16_t(at), {0}};
    std::memcpy(n->bytes, abs.data(), abs.size());
    if (at == abs.size()) std::memcpy(n->bytes + abs.size(), rel.data(), rel.size());
    return n;
}

const IdentBase::Names* IdentBase::Names::make_counted(std::string_view abs, std::string_view rel) {
    void* mem = std::malloc(size_for(abs, rel));
    if (!mem) throw std::bad_alloc();
    return place(mem, abs, rel, 1);
}

void IdentBase::Names::acquire() const {
    const_cast<Names*>(this)->refs.fetch_add(1, std::memory_order_relaxed);
}

void IdentBase::Names::release() const {
    Names* self = const_cast<Names*>(this);
    if (self->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        self->~Names();
        std::free(self);
    }
}

IdentBase::IdentBase(uint64_t global_id, bool is_user_com, std::string_view rel_name,
                     std::string_view abs_name)
    : global_id_(global_id), bits_(is_user_com ? USER_BIT : 0) {
    check_name_len(rel_name);
    check_name_len(abs_name);
    set_names(rel_name, abs_name);
}

void IdentBase::set_names(std::string_view rel_name, std::string_view abs_name) {
    const Names* fresh = nullptr;
    bool owns = false;
    if (!rel_name.empty() || !abs_name.empty()) {
        if (NameStore* store = current_name_store()) {
            fresh =
                Names::place(store->allocate(Names::size_for(abs_name, rel_name), alignof(Names)),
                             abs_name, rel_name, 0);
        } else {
            fresh = Names::make_counted(abs_name, rel_name);
            owns = true;
        }
    }
    release_names();
    set_names_ptr(fresh, owns);
}

void IdentBase::detach_names() {
    if (owns_names() || !names()) return;
    set_names_ptr(Names::make_counted(names()->abs(), names()->rel()), true);
}

void IdentBase::attach_store_names(const Names* names) {
    release_names();
    set_names_ptr(names, false);
}

void IdentBase::set_abs_name(std::string_view name) {
    check_name_len(name);
    set_names(std::string(rel_name()), name);
}

void IdentBase::set_rel_name(std::string_view name) {
    check_name_len(name);
    set_names(name, std::string(abs_name()));
}

namespace {
void append_buf(std::string& out, std::string_view bytes) {
    out.push_back('[');
    for (size_t i = 0; i < MAX_NAME_LEN; ++i) {
        if (i) out.append(", ");
        out.append(std::to_string(i < bytes.size() ? unsigned(uint8_t(bytes[i])) : 0u));
    }
    out.push_back(']');
}
}  // namespace

std::string debug_repr(const IdentBase& id) {
    std::string out =
        format("IdentBase { global_id: {}, is_user_com: {}, abs_name_buf: ", id.global_id(),
               id.is_user_com());
    append_buf(out, id.abs_name());
    out += format(", abs_name_len: {}, rel_name_buf: ", id.abs_name().size());
    append_buf(out, id.rel_name());
    out += format(", rel_name_len: {}, arena_handle: {} }", id.rel_name().size(),
                  debug_repr(id.arena_handle()));
    return out;
}

IdentBase make_ident(bool is_user_com, std::string_view display, std::string_view rel_name) {
    const uint64_t id = next_global_id();
    // Names given by the caller are judged where they are given, so a name too
    // long here is one the system derived from another ("{abs}_asm",
    // "IO_OUT_{abs}"): it is cut to fit. An element's own name is judged here,
    // by its own id, which only now is known (WholeNames). The id that ends
    // every absolute name keeps cut names apart. Every element made comes here, so the name is
    // put together on the stack, where it fits: nothing is allocated for it.
    const size_t fixed = display.size() + decimal_digits(id) + 2;
    if (fixed > MAX_NAME_LEN)
        fatal(format("make_ident: the kind text \"{}\" leaves no room for a name", display));
    const size_t room = MAX_NAME_LEN - fixed;
    WholeNames* const own =
        whole_names_alive.load(std::memory_order_relaxed) != 0 ? whole_names : nullptr;
    if (rel_name.size() > room) {
        // The caller's own name, judged by the id just drawn, stops the call
        // in the length check of IdentBase.
        if (own && own->keeps_whole(display, rel_name, id))
            return IdentBase(id, is_user_com, rel_name, format("{}_{}_{}", display, rel_name, id));
        rel_name = rel_name.substr(0, room);
    } else if (own) {
        own->made(display, rel_name);
    }
    char abs[MAX_NAME_LEN];
    char* end = std::copy(display.begin(), display.end(), abs);
    *end++ = '_';
    end = std::copy(rel_name.begin(), rel_name.end(), end);
    *end++ = '_';
    end = std::to_chars(end, abs + sizeof abs, id).ptr;
    return IdentBase(id, is_user_com, rel_name, std::string_view(abs, size_t(end - abs)));
}

}  // namespace vorlent
