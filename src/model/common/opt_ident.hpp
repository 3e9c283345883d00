// An optional identity in the room of the identity alone. Records hold many
// optional identities (clock sources, conditions, guards, exit operands),
// and std::optional adds a flag and its padding to each: eight bytes. Here an
// absent identity is an identity whose kind byte holds a value no kind has.
//
// It reads like std::optional and converts to and from it, so the operations
// that take or return std::optional<Ident> are unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <type_traits>
#include <utility>

namespace vorlent {

// Names the kind field of an identity type: specialised next to each
// identity as `static constexpr auto field = &Ident::kind_member;`. The
// kind's enumeration is one byte, and 0xFF is none of its values.
template <class Ident>
struct IdentKindField;

template <class Ident>
class OptIdent {
    static constexpr auto KIND = IdentKindField<Ident>::field;
    using Kind = std::remove_cvref_t<decltype(std::declval<Ident&>().*KIND)>;
    static_assert(sizeof(Kind) == 1);
    static constexpr Kind ABSENT = Kind(0xFF);

public:
    using value_type = Ident;

    OptIdent() noexcept { value_.*KIND = ABSENT; }
    OptIdent(std::nullopt_t) noexcept : OptIdent() {}
    OptIdent(const Ident& v) : value_(v) {}
    OptIdent(Ident&& v) noexcept : value_(std::move(v)) {}
    OptIdent(const std::optional<Ident>& v) : OptIdent() {
        if (v) value_ = *v;
    }
    OptIdent(std::optional<Ident>&& v) : OptIdent() {
        if (v) value_ = std::move(*v);
    }

    bool has_value() const { return value_.*KIND != ABSENT; }
    explicit operator bool() const { return has_value(); }
    const Ident& operator*() const { return value_; }
    Ident& operator*() { return value_; }
    const Ident* operator->() const { return &value_; }
    Ident* operator->() { return &value_; }
    const Ident& value() const {
        if (!has_value()) throw std::bad_optional_access();
        return value_;
    }
    void reset() { *this = OptIdent(); }

    operator std::optional<Ident>() const {
        return has_value() ? std::optional<Ident>(value_) : std::nullopt;
    }

    friend bool operator==(const OptIdent& a, const OptIdent& b) {
        return a.has_value() == b.has_value() && (!a.has_value() || a.value_ == b.value_);
    }
    friend bool operator==(const OptIdent& a, const Ident& b) {
        return a.has_value() && a.value_ == b;
    }
    friend bool operator==(const OptIdent& a, std::nullopt_t) { return !a.has_value(); }
    friend bool operator==(const OptIdent& a, const std::optional<Ident>& b) {
        return b ? a == *b : !a.has_value();
    }

private:
    Ident value_;
};

}  // namespace vorlent
