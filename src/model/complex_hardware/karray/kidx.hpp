// Karray selections: one selector per dimension, and the check every read and
// write runs on a selection before it makes anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/error_text.hpp"
#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

// One selector. On a write: `Static` writes one index, `Dyn` every index i
// under signal == i, `Custom` every index i under enable i, `Reduce` is
// refused. On a read: `Static` reads one index, `Dyn` builds a multiplexer
// tree steered by the signal's bits, `Custom` is refused, `Reduce` combines
// all indices pairwise through the read environment's select function.
struct KIdx {
    struct Static {
        size_t index;
        friend bool operator==(const Static&, const Static&) = default;
    };
    struct Dyn {
        HcpIdent signal;
        friend bool operator==(const Dyn&, const Dyn&) = default;
    };
    struct Custom {
        std::vector<HcpIdent> enables;  // one per index, in index order
        friend bool operator==(const Custom&, const Custom&) = default;
    };
    struct Reduce {
        friend bool operator==(const Reduce&, const Reduce&) = default;
    };

    std::variant<Static, Dyn, Custom, Reduce> v;

    static KIdx static_at(size_t i) { return KIdx{Static{i}}; }
    static KIdx dyn(HcpIdent s) { return KIdx{Dyn{std::move(s)}}; }
    static KIdx custom(std::vector<HcpIdent> e) { return KIdx{Custom{std::move(e)}}; }
    static KIdx reduce() { return KIdx{Reduce{}}; }

    bool is_static() const { return std::holds_alternative<Static>(v); }

    friend bool operator==(const KIdx&, const KIdx&) = default;
};

// The bits an index signal needs to address `n` elements: the smallest b >= 1
// with 2^b >= n (1 and 2 give 1, 3 and 4 give 2, 1025 gives 11).
uint32_t index_bits(size_t n);

// A shape, coordinates or indexes as a list: "[1, 2]".
std::string index_list_text(const std::vector<size_t>& indexes);

// The selection against the array's shape: one selector per dimension, static
// indexes in bounds, one enable per index for a custom selector. Dyn and
// Reduce are left to the walks. Makes and changes nothing.
CheckResult check_kidx(const std::vector<size_t>& shape, const std::vector<KIdx>& sel);

// The index-signal width rule of the walks: `Value` "dynamic index for dim ..."
// when a signal of `width` bits cannot address the `n` elements of dimension `d`.
CheckResult check_index_width(size_t d, size_t n, int32_t width);

}  // namespace vorlent
