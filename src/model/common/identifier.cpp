#include "model/common/identifier.hpp"

#include <cstdlib>
#include <cstring>
#include <new>

namespace vorlent {

namespace {
std::atomic<uint64_t> GLOBAL_MODEL_ID{0};
}

uint64_t next_global_id() { return GLOBAL_MODEL_ID.fetch_add(1, std::memory_order_seq_cst); }
uint64_t peek_global_id() { return GLOBAL_MODEL_ID.load(std::memory_order_seq_cst); }

void check_name_len(std::string_view name) {
    if (name.size() > MAX_NAME_LEN) [[unlikely]]
        fatal(format("name exceeds MAX_NAME_LEN ({}): \"{}\"", MAX_NAME_LEN, name));
}

// Immutable once built; shared between copies through a reference count.
struct IdentBase::Names {
    std::atomic<uint32_t> refs;
    uint16_t abs_len;
    uint16_t rel_len;
    char bytes[1];  // abs_len + rel_len bytes follow

    static Names* make(std::string_view abs, std::string_view rel) {
        void* mem = std::malloc(sizeof(Names) + abs.size() + rel.size());
        if (!mem) throw std::bad_alloc();
        Names* n = new (mem) Names{{1}, uint16_t(abs.size()), uint16_t(rel.size()), {0}};
        std::memcpy(n->bytes, abs.data(), abs.size());
        std::memcpy(n->bytes + abs.size(), rel.data(), rel.size());
        return n;
    }
    static void acquire(Names* n) {
        if (n) n->refs.fetch_add(1, std::memory_order_relaxed);
    }
    static void release(Names* n) {
        if (n && n->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            n->~Names();
            std::free(n);
        }
    }
};

IdentBase::IdentBase(uint64_t global_id, bool is_user_com, std::string_view rel_name,
                     std::string_view abs_name)
    : global_id_(global_id), is_user_com_(is_user_com) {
    check_name_len(rel_name);
    check_name_len(abs_name);
    set_names(rel_name, abs_name);
}

IdentBase::IdentBase(const IdentBase& o)
    : global_id_(o.global_id_), arena_handle_(o.arena_handle_), names_(o.names_),
      is_user_com_(o.is_user_com_) {
    Names::acquire(names_);
}

IdentBase::IdentBase(IdentBase&& o) noexcept
    : global_id_(o.global_id_), arena_handle_(o.arena_handle_), names_(o.names_),
      is_user_com_(o.is_user_com_) {
    o.names_ = nullptr;
}

IdentBase& IdentBase::operator=(const IdentBase& o) {
    if (this != &o) {
        Names::acquire(o.names_);
        Names::release(names_);
        global_id_ = o.global_id_;
        arena_handle_ = o.arena_handle_;
        names_ = o.names_;
        is_user_com_ = o.is_user_com_;
    }
    return *this;
}

IdentBase& IdentBase::operator=(IdentBase&& o) noexcept {
    if (this != &o) {
        Names::release(names_);
        global_id_ = o.global_id_;
        arena_handle_ = o.arena_handle_;
        names_ = std::exchange(o.names_, nullptr);
        is_user_com_ = o.is_user_com_;
    }
    return *this;
}

IdentBase::~IdentBase() { Names::release(names_); }

std::string_view IdentBase::abs_name() const {
    return names_ ? std::string_view(names_->bytes, names_->abs_len) : std::string_view();
}

std::string_view IdentBase::rel_name() const {
    return names_ ? std::string_view(names_->bytes + names_->abs_len, names_->rel_len)
                  : std::string_view();
}

void IdentBase::set_names(std::string_view rel_name, std::string_view abs_name) {
    Names* fresh = (rel_name.empty() && abs_name.empty()) ? nullptr : Names::make(abs_name, rel_name);
    Names::release(names_);
    names_ = fresh;
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
    std::string out = format("IdentBase { global_id: {}, is_user_com: {}, abs_name_buf: ",
                             id.global_id(), id.is_user_com());
    append_buf(out, id.abs_name());
    out += format(", abs_name_len: {}, rel_name_buf: ", id.abs_name().size());
    append_buf(out, id.rel_name());
    out += format(", rel_name_len: {}, arena_handle: {} }", id.rel_name().size(),
                  debug_repr(id.arena_handle()));
    return out;
}

IdentBase make_ident(bool is_user_com, std::string_view display, std::string_view rel_name) {
    const uint64_t id = next_global_id();
    check_name_len(rel_name);
    const std::string abs = format("{}_{}_{}", display, rel_name, id);
    return IdentBase(id, is_user_com, rel_name, abs);
}

}  // namespace vorlent
