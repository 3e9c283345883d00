#include "applications/py/model/complex_hardware/karray/kidx_py.hpp"

#include "applications/py/runtime/py_warnings.hpp"
#include "common/text.hpp"

namespace vorlent::py {

namespace {

// A name as a quoted debug text: quotes and backslashes escaped, control
// characters as \t, \n, \r, \0 or \u{..}.
void append_debug_name(std::string& out, std::string_view name) {
    static constexpr char HEX[] = "0123456789abcdef";
    out.push_back('"');
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                if (c < 0x20 || c == 0x7f) {
                    out += "\\u{";
                    if (c >= 0x10) out.push_back(HEX[c >> 4]);
                    out.push_back(HEX[c & 0xf]);
                    out.push_back('}');
                } else {
                    out.push_back(ch);
                }
        }
    }
    out.push_back('"');
}

}  // namespace

Result<std::vector<KIdx>> decode_kidx(const std::vector<PyKIdx>& selection) {
    std::vector<KIdx> out;
    out.reserve(selection.size());
    for (const auto& [kind, ints, idents] : selection) {
        if (kind == "static" && ints.size() == 1 && idents.empty())
            out.push_back(KIdx::static_at(ints[0]));
        else if (kind == "dyn" && ints.empty() && idents.size() == 1)
            out.push_back(KIdx::dyn(idents[0]));
        else if (kind == "cus" && ints.empty() && !idents.empty())
            out.push_back(KIdx::custom(idents));
        else if (kind == "reduce" && ints.empty() && idents.empty())
            out.push_back(KIdx::reduce());
        else
            return ErrorText::value(format("malformed Karray index selector of kind '{}'", kind));
    }
    return out;
}

std::string skipped_fields_message(std::string_view prefix, const std::vector<std::string>& names) {
    std::string out = format("{}: [", prefix);
    for (size_t i = 0; i < names.size(); ++i) {
        if (i) out += ", ";
        append_debug_name(out, names[i]);
    }
    out.push_back(']');
    return out;
}

void warn_skipped_fields(std::string_view prefix, const std::vector<std::string>& names) {
    if (names.empty()) return;
    warn(skipped_fields_message(prefix, names));
}

}  // namespace vorlent::py
