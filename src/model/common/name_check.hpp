// The check of every name the caller gives. Names are written into the
// Verilog: an element's name inside its generated name ("REG_{name}_{id}"),
// a port name as it stands. A name that would not make a legal identifier
// there, or that would change what the text means (a quote, a backtick
// starting a directive, a line break ending a comment), is refused before
// anything is made, so a refused call changes nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/error_text.hpp"
#include "model/common/identifier.hpp"

namespace vorlent {

// Refuses `name`, given as `what` ("name", "field name") to `where` (the
// method), unless it holds only ASCII letters, digits, "_" and "$" (the
// characters of a Verilog identifier after its first).
CheckResult check_name_chars(std::string_view where, std::string_view what, std::string_view name);

// check_name_chars, then, for an element whose kind shows as `display`
// ("REG", "MODULE"), its absolute name within MAX_NAME_LEN, or within
// `file_name_max` when the absolute name is also the stem of a file name (a
// module's, "{name}.v"); one over MAX_NAME_LEN is left to the factory, which
// stops on it with the id drawn (WholeNames). A file name's stem holds no
// "$": Verilator reads "$NAME" in a file name it is given as an environment
// variable. With no `display` (a Karray field), the name itself keeps to
// the limit.
CheckResult check_element_name(std::string_view where, std::string_view what, std::string_view name,
                               std::string_view display,
                               std::optional<size_t> file_name_max = std::nullopt);

// Refuses a port name that is not a Verilog identifier of its own: empty,
// starting with a digit or "$", a character other than those of an element
// name, longer than MAX_NAME_LEN, a keyword of the language (IEEE 1800, which
// the tools read with -g2012), a word Icarus or Verilator reserves, or "clk"
// or "mrst", the ports build_flow adds.
CheckResult check_port_name(std::string_view where, std::string_view what, std::string_view name);

// `name` quoted for a message: quotes and backslashes escaped, bytes outside
// printable ASCII as \xNN, and a long name cut with "...".
std::string quoted_name(std::string_view name);

}  // namespace vorlent
