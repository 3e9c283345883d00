// The IO-wire hop shared by both routing passes: one IoWire made in a module
// on the way of a signal across module boundaries, or an existing one reused.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>
#include <string_view>

#include "model/hw_component/common/hcp_ident.hpp"
#include "model/module/module_ident.hpp"

namespace vorlent {

class ModelArena;

// Direction words of wire names: "OUT" on the driving side, "IN" on the
// reading side.
inline constexpr std::string_view IO_DIR_OUT = "OUT";
inline constexpr std::string_view IO_DIR_IN = "IN";

// The IO wires that carry a routed source, by module, source and direction:
// what a scan of the module's wires would find (its first wire of that
// direction carrying the source), without scanning again at every hop. A
// module's wires are indexed the first time it is asked about; wires made
// later are added as they are made. A wire of the asked direction that
// carries no source and comes before the match stops with "IoWire:
// actual_src_signal_i is None".
class IoWireIndex {
public:
    std::optional<HcpIdent> find(const ModelArena& model, const ModuleIdent& module,
                                 const HcpIdent& src, bool is_input);
    // Records a wire just made in `module`, after every wire it has.
    void add(const ModuleIdent& module, const HcpIdent& src, bool is_input, const HcpIdent& wire);

private:
    struct Key {
        size_t module;
        uint64_t src;
        bool is_input;
        friend bool operator==(const Key&, const Key&) = default;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const noexcept {
            return std::hash<uint64_t>{}(k.src * 2 + k.is_input) ^ (k.module * 0x9E3779B97F4A7C15u);
        }
    };
    struct Found {
        HcpIdent wire;
        size_t position;  // in the module's list of IO wires
    };
    static constexpr size_t NONE = SIZE_MAX;

    // The list positions of a module's first source-less wire of each
    // direction (output, input), NONE without one; none before it is indexed.
    using Sourceless = std::optional<std::array<size_t, 2>>;
    const std::array<size_t, 2>& index_module(const ModelArena& model, const ModuleIdent& module);

    std::unordered_map<Key, Found, KeyHash> wires_;
    std::vector<Sourceless> sourceless_;  // by module slot
};

// Makes one IO wire named "IO_{dir}_{src_name}" in `module`, system-made:
// the module is traced at CompInit while the wire is inserted and stamped,
// and untraced after. `agent` feeds the wire (its pool copies the agent's
// whole range); `actual` is the signal the whole chain carries. Returns the
// stamped identity.
HcpIdent make_io_wire(ModelArena& model, const ModuleIdent& module, std::string_view dir,
                      std::string_view src_name, bool is_input, uint32_t bit_width,
                      std::optional<HcpIdent> agent, std::optional<HcpIdent> actual);

// The bit width of a signal: the size of its whole range.
uint32_t signal_width(const ModelArena& model, const HcpIdent& sig);

}  // namespace vorlent
