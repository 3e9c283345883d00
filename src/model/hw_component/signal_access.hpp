// Which way a call uses a component: read (a source, an operand, a
// condition, a selector, an index, a reset or default value, an output
// port) or written (a destination, an input port). A memory is used through
// its elements, each of one direction: a read element is only read, a write
// element only written (a read element's Verilog is a wire driven from the
// memory, so a write into it is lost; a write element declares no signal,
// so a read of it names nothing). The memory block itself is neither read
// nor written: it is only the block of mk_mem_ele. Every other kind is both.
#pragma once

#include <string_view>

#include "common/error_text.hpp"
#include "model/hw_component/common/hcp_ident.hpp"

namespace vorlent {

class ModelArena;

enum class Access : bool { Read, Written };

// Whether a component of `kind` may be refused for the way it is used: only
// the memory kinds are (see the header).
constexpr bool has_direction(HwComponentType kind) {
    return kind == HwComponentType::MemBlockIndexer || kind == HwComponentType::MemBlock;
}

// The refusal of a memory kind used against its direction (see the header).
CheckResult check_memory_access(const ModelArena& model, std::string_view where,
                                std::string_view param, const HcpIdent& sig, Access access);

// Refuses `sig`, given to `where` as `param`, when it cannot be used as
// `access` says: "{where}: {param} \"{name}\" is read here, but it is a write
// element of memory \"{mem}\", which is only written (...)", and the same for
// a read element written and a memory block read or written. An identity
// whose slot does not hold its element passes: the call's own reach refuses
// it. Every signal a call takes is checked, so any other kind passes at one
// test of its kind (has_direction), which a caller holding many signals
// makes first.
inline CheckResult check_access(const ModelArena& model, std::string_view where,
                                std::string_view param, const HcpIdent& sig, Access access) {
    if (!has_direction(sig.hw_type)) [[likely]]
        return std::nullopt;
    return check_memory_access(model, where, param, sig, access);
}

}  // namespace vorlent
