#include "model/common/name_check.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "common/text.hpp"
#include "model/common/identifier.hpp"

namespace vorlent {

namespace {

// The reserved words of IEEE 1800-2017 (which include those of 1364), sorted.
constexpr std::array<std::string_view, 248> VERILOG_KEYWORDS = {
    "accept_on", "alias", "always", "always_comb", "always_ff", "always_latch", "and", "assert",
    "assign", "assume", "automatic", "before", "begin", "bind", "bins", "binsof", "bit", "break",
    "buf", "bufif0", "bufif1", "byte", "case", "casex", "casez", "cell", "chandle", "checker",
    "class", "clocking", "cmos", "config", "const", "constraint", "context", "continue", "cover",
    "covergroup", "coverpoint", "cross", "deassign", "default", "defparam", "design", "disable",
    "dist", "do", "edge", "else", "end", "endcase", "endchecker", "endclass", "endclocking",
    "endconfig", "endfunction", "endgenerate", "endgroup", "endinterface", "endmodule",
    "endpackage", "endprimitive", "endprogram", "endproperty", "endsequence", "endspecify",
    "endtable", "endtask", "enum", "event", "eventually", "expect", "export", "extends", "extern",
    "final", "first_match", "for", "force", "foreach", "forever", "fork", "forkjoin", "function",
    "generate", "genvar", "global", "highz0", "highz1", "if", "iff", "ifnone", "ignore_bins",
    "illegal_bins", "implements", "implies", "import", "incdir", "include", "initial", "inout",
    "input", "inside", "instance", "int", "integer", "interconnect", "interface", "intersect",
    "join", "join_any", "join_none", "large", "let", "liblist", "library", "local", "localparam",
    "logic", "longint", "macromodule", "matches", "medium", "modport", "module", "nand",
    "negedge", "nettype", "new", "nexttime", "nmos", "nor", "noshowcancelled", "not", "notif0",
    "notif1", "null", "or", "output", "package", "packed", "parameter", "pmos", "posedge",
    "primitive", "priority", "program", "property", "protected", "pull0", "pull1", "pulldown",
    "pullup", "pulsestyle_ondetect", "pulsestyle_onevent", "pure", "rand", "randc", "randcase",
    "randsequence", "rcmos", "real", "realtime", "ref", "reg", "reject_on", "release", "repeat",
    "restrict", "return", "rnmos", "rpmos", "rtran", "rtranif0", "rtranif1", "s_always",
    "s_eventually", "s_nexttime", "s_until", "s_until_with", "scalared", "sequence", "shortint",
    "shortreal", "showcancelled", "signed", "small", "soft", "solve", "specify", "specparam",
    "static", "string", "strong", "strong0", "strong1", "struct", "super", "supply0", "supply1",
    "sync_accept_on", "sync_reject_on", "table", "tagged", "task", "this", "throughout", "time",
    "timeprecision", "timeunit", "tran", "tranif0", "tranif1", "tri", "tri0", "tri1", "triand",
    "trior", "trireg", "type", "typedef", "union", "unique", "unique0", "unsigned", "until",
    "until_with", "untyped", "use", "uwire", "var", "vectored", "virtual", "void", "wait",
    "wait_order", "wand", "weak", "weak0", "weak1", "while", "wildcard", "wire", "with", "within",
    "wor", "xnor", "xor"};
static_assert(std::is_sorted(VERILOG_KEYWORDS.begin(), VERILOG_KEYWORDS.end()));

// Names beyond the keywords that a port may not have because a tool the
// Verilog is read with refuses them, found by compiling a port of each name
// (iverilog -g2012, verilator --lint-only). Each group sorted.
//
// Verilator writes the design as C++ and refuses a name that would clash
// there (SYMRSVDWORD, an error by default): the C++20 keywords, alternative
// tokens and the words of the transactional-memory and reflection
// extensions (those that are no Verilog keyword) ...
constexpr std::array<std::string_view, 69> CPP_KEYWORDS = {
    "alignas", "alignof", "and_eq", "asm", "atomic_cancel", "atomic_commit", "atomic_noexcept",
    "auto", "bitand", "bitor", "bool", "catch", "char", "char16_t", "char32_t", "char8_t",
    "co_await", "co_return", "co_yield", "compl", "concept", "const_cast", "consteval", "constexpr",
    "constinit", "decltype", "delete", "double", "dynamic_cast", "explicit", "false", "float",
    "friend", "goto", "inline", "long", "mutable", "namespace", "noexcept", "not_eq", "nullptr",
    "operator", "or_eq", "override", "private", "public", "reflexpr", "register",
    "reinterpret_cast", "requires", "short", "sizeof", "static_assert", "static_cast", "switch",
    "synchronized", "template", "thread_local", "throw", "transaction_safe",
    "transaction_safe_dynamic", "true", "try", "typeid", "typename", "using", "volatile", "wchar_t",
    "xor_eq"};
// ... the common C and C++ library words (container member types among
// them: of those only const_iterator, iterator and reference) and old
// calling conventions it names as such, its SystemC words, and the classes
// of its SystemVerilog std package (mailbox, process, semaphore), which it
// reads as type names ...
constexpr std::array<std::string_view, 34> CPP_COMMON_WORDS = {
    "abort", "bit_vector", "cdecl", "complex", "const_iterator", "deque", "far", "huge",
    "interrupt", "iterator", "list", "mailbox", "map", "near", "pascal", "process", "queue",
    "reference", "sc_clock", "sc_in", "sc_inout", "sc_out", "sc_signal", "semaphore", "sensitive",
    "sensitive_neg", "sensitive_pos", "set", "stack", "type_info", "uint16_t", "uint32_t",
    "uint8_t", "vector"};
// ... and Icarus reserves wone (its old word for uwire), wreal (a
// Verilog-AMS type) and bool (a C++ keyword above), and reads a name
// starting PATHPULSE$ as a path-pulse specparam.
constexpr std::array<std::string_view, 2> ICARUS_WORDS = {"wone", "wreal"};
constexpr std::string_view ICARUS_PATHPULSE = "PATHPULSE$";
static_assert(std::is_sorted(CPP_KEYWORDS.begin(), CPP_KEYWORDS.end()));
static_assert(std::is_sorted(CPP_COMMON_WORDS.begin(), CPP_COMMON_WORDS.end()));
static_assert(std::is_sorted(ICARUS_WORDS.begin(), ICARUS_WORDS.end()));

constexpr size_t QUOTED_NAME_CAP = 100;

bool is_ident_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '$';
}

ErrorText refusal(std::string_view where, std::string_view what, std::string_view name,
                  std::string_view why) {
    return ErrorText::value(format("{}: {} {} {}", where, what, quoted_name(name), why));
}

template <size_t N>
bool in_sorted(const std::array<std::string_view, N>& words, std::string_view word) {
    return std::binary_search(words.begin(), words.end(), word);
}

// The tool whose refusal of `name` as a port the list above records, or none.
std::optional<std::string_view> tool_reserving(std::string_view name) {
    if (in_sorted(CPP_KEYWORDS, name) || in_sorted(CPP_COMMON_WORDS, name)) return "Verilator";
    if (in_sorted(ICARUS_WORDS, name) || name.starts_with(ICARUS_PATHPULSE)) return "Icarus";
    return std::nullopt;
}

// The length of the absolute name "{display}_{name}_{id}" that an element
// made now would get, with the id the model draws next.
size_t own_name_length(std::string_view name, std::string_view display) {
    return display.size() + name.size() + 2 + decimal_digits(peek_global_id());
}

}  // namespace

std::string quoted_name(std::string_view name) {
    constexpr char HEX[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (size_t i = 0; i < name.size() && i < QUOTED_NAME_CAP; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(char(c));
        } else if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out.push_back(HEX[c >> 4]);
            out.push_back(HEX[c & 15]);
        } else {
            out.push_back(char(c));
        }
    }
    if (name.size() > QUOTED_NAME_CAP) out += "...";
    out.push_back('"');
    return out;
}

CheckResult check_name_chars(std::string_view where, std::string_view what, std::string_view name) {
    const auto bad = std::find_if_not(name.begin(), name.end(), is_ident_char);
    if (bad == name.end()) return std::nullopt;
    return refusal(where, what, name,
                   format("holds {} at byte {}; a name is written into the Verilog and may hold "
                          "only ASCII letters, digits, \"_\" and \"$\"",
                          quoted_name(std::string_view(&*bad, 1)), size_t(bad - name.begin())));
}

CheckResult check_element_name(std::string_view where, std::string_view what,
                               std::string_view name, std::string_view display,
                               std::optional<size_t> file_name_max) {
    if (auto err = check_name_chars(where, what, name)) return err;
    // Verilator, given a file by its path, reads "$" and the letters, digits
    // and "_" after it as an environment variable (a set one replaces them;
    // so do "$(NAME)" and "${NAME}"). It leaves a "$" before a digit alone,
    // but a "$" that ends the name meets the "_" of "_<id>", and a shell or
    // make expands "$1" in a command line too: a stem holds none, as the top
    // file name (emit) holds none.
    const size_t dollar = file_name_max ? name.find('$') : std::string_view::npos;
    if (dollar != std::string_view::npos)
        return refusal(where, what, name,
                       format("holds \"$\" at byte {}; the name is part of the file name "
                              "\"{}_<name>_<id>.v\", in which Verilator reads \"$NAME\" as an "
                              "environment variable (and a shell or make \"$1\")",
                              dollar, display));
    const size_t limit = file_name_max.value_or(MAX_NAME_LEN);
    // Names the system derives from this one are cut to fit (make_ident);
    // the element's own name is kept whole. One over MAX_NAME_LEN stops
    // the factory by the name rule (WholeNames); a tighter limit is this
    // check's own.
    const size_t own = display.empty() ? name.size() : own_name_length(name, display);
    if (own <= limit || (!display.empty() && own > MAX_NAME_LEN)) return std::nullopt;
    std::string why = format("is {} bytes long", name.size());
    if (!display.empty())
        why += format("; the element's name \"{}_<name>_<id>\" would be {} bytes", display, own);
    return refusal(where, what, name,
                   why + (limit == MAX_NAME_LEN
                              ? format(", over MAX_NAME_LEN ({})", limit)
                              : format(", over {}, the longest that leaves room for \".v\" in a "
                                       "file name",
                                       limit)));
}

CheckResult check_port_name(std::string_view where, std::string_view what, std::string_view name) {
    if (name.empty())
        return refusal(where, what, name, "is empty; a port needs a Verilog identifier");
    if (auto err = check_element_name(where, what, name, "")) return err;
    if (name[0] == '$' || (name[0] >= '0' && name[0] <= '9'))
        return refusal(where, what, name,
                       "starts with a digit or \"$\"; a Verilog identifier starts with a letter "
                       "or \"_\"");
    if (in_sorted(VERILOG_KEYWORDS, name))
        return refusal(where, what, name, "is a Verilog keyword");
    if (auto tool = tool_reserving(name))
        return refusal(where, what, name,
                       format("is a word that {} reserves and refuses as a name", *tool));
    if (name == "clk" || name == "mrst")
        return refusal(where, what, name,
                       "is taken: build_flow gives the top module its ports \"clk\" and \"mrst\"");
    return std::nullopt;
}

}  // namespace vorlent
