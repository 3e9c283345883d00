// The running term of a conditional chain: the AND of the negations of every
// condition met so far. Each branch is enabled by its own condition ANDed
// with the term, so the first branch whose condition holds is the one that
// runs; an else branch takes the term itself and ends the chain.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/flow_block/common/flow_block_ident.hpp"
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
    // has condition `cond` (none for an else). The chain must not have ended.
    HcpIdent step(ModelArena& model, std::string_view prefix, uint64_t block_id, uint32_t index,
                  const std::optional<HcpIdent>& cond);

    // An else consumed the term: no branch may follow, since it would run
    // alongside the one chosen before it. Callers refuse such a chain by name.
    bool ended() const { return !term_; }
    // Stops on a continuation `con` that is not of the chain's branch kind
    // (with `wrong_kind`), or that follows an else: "{head_kind} '{head_name}':
    // a {else_name} must be the last branch of its chain".
    void check_next(const FlowBlockIdent& con, FlowBlockType branch_kind,
                    std::string_view wrong_kind, std::string_view head_kind,
                    std::string_view head_name, std::string_view else_name) const;
    // Absent once the chain has ended.
    const std::optional<HcpIdent>& term() const { return term_; }

private:
    std::optional<HcpIdent> term_;
};

}  // namespace vorlent
