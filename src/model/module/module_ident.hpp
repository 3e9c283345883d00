// The identity of a module and the stages of its description.
#pragma once

#include <cstdint>
#include <string>

#include "model/common/identifier.hpp"

namespace vorlent {

// The text before a module's name in its absolute name.
inline constexpr std::string_view MODULE_DISPLAY = "MODULE";
// The longest file name file systems take (NAME_MAX of Linux and macOS), and
// so the longest absolute name of a module, whose file is "{name}.v".
inline constexpr size_t FILE_NAME_MAX = 255;
inline constexpr size_t MODULE_NAME_MAX = FILE_NAME_MAX - 2;

// A module's identity. Copied into every component and complex-component
// identity as the owner.
struct ModuleIdent {
    IdentBase ident_base;
    ArenaHandle master_module_handle = ArenaHandle::null();  // parent; null for a root
    uint32_t depth_level = 0;  // trace-stack length when the module was made

    // One global id; absolute name "MODULE_{}_{}"; null parent, depth 0.
    static ModuleIdent make(bool is_user_com, std::string_view rel_name);

    uint64_t global_id() const { return ident_base.global_id(); }
    std::string_view abs_name() const { return ident_base.abs_name(); }
    ArenaHandle handle() const { return ident_base.arena_handle(); }

    friend bool operator==(const ModuleIdent&, const ModuleIdent&) = default;
};

std::string debug_repr(const ModuleIdent& m);

// The stage of a module's entry on the module trace stack.
enum class ModuleInitStage : uint8_t { CompInit = 0, FlowBlockInit = 1, FlowBlockBuild = 2 };
std::string debug_repr(ModuleInitStage s);

}  // namespace vorlent
