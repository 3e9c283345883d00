// The running term of a conditional chain: the AND of the negations of every
// condition met so far. Each branch is enabled by its own condition ANDed
// with the term, so the first branch whose condition holds is the one that
// runs; an else branch takes the term itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

class ModelArena;

class CondChain {
public:
    // A chain after the head: its term is "{prefix}_not_cond_{block_id}",
    // the negation of the head's condition.
    static CondChain new_inv(ModelArena& model, std::string_view prefix, uint64_t block_id,
                             const HcpIdent& cond);

    // The enable of branch `index` (counted from 0 after the head), which
    // has condition `cond` (none for an else); absent when an else follows
    // an else. An else consumes the term, so a later elif starts afresh.
    std::optional<HcpIdent> step(ModelArena& model, std::string_view prefix, uint64_t block_id,
                                 uint32_t index, const std::optional<HcpIdent>& cond);

    const std::optional<HcpIdent>& term() const { return term_; }

private:
    std::optional<HcpIdent> term_;
};

}  // namespace vorlent
