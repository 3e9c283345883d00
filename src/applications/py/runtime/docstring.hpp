// The docstrings of the extension's classes, methods and properties. They are
// written once, in the type stub (python/vorlent/_vorlent.pyi); the build
// turns them into the rows of STUB_DOCS (runtime/stub_docs.py), and every
// table entry takes its text from there at compile time. A class or member
// the stub does not document stops the build (`stub_doc`); a documented one
// the extension lacks stops the import (`check_stub_docs`).
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

#include "applications/py/runtime/py_ref.hpp"
#include "applications/py/runtime/signature.hpp"

namespace vorlent::py {

struct StubDoc {
    std::string_view owner;   // a class of the module
    std::string_view member;  // a method or property of it; empty for the class itself
    std::string_view text;    // NUL-terminated: it views a string literal
};

inline constexpr StubDoc STUB_DOCS[] = {
#include "stub_docs.inc"
};

// The stub's docstring of `owner.member`, or of the class `owner` when
// `member` is empty. Evaluated at compile time only (stub_doc, SignedDoc),
// where the throw is an error that names the call.
constexpr std::string_view find_stub_doc(std::string_view owner, std::string_view member) {
    for (const StubDoc& d : STUB_DOCS)
        if (d.owner == owner && d.member == member) return d.text;
    throw "_vorlent.pyi gives this class, method or property no docstring";
}
consteval std::string_view stub_doc(std::string_view owner, std::string_view member = {}) {
    return find_stub_doc(owner, member);
}

inline constexpr std::string_view NO_OWNER{};

// The docstring of a callable with a text signature: the signature in the
// form the interpreter reads back as __text_signature__, then the stub's
// text, which becomes __doc__. The callable is a method of the class
// `Owner`, or with NO_OWNER the class that the signature names (its
// constructor's signature). `S` is the callable's Signature.
template <class S, const std::string_view& Owner = NO_OWNER>
struct SignedDoc {
    static constexpr std::string_view tail = "\n--\n\n";
    static constexpr std::string_view text =
        Owner.empty() ? find_stub_doc(S::name, {}) : find_stub_doc(Owner, S::name);
    static constexpr std::array<char, S::text.size() + tail.size() + text.size() + 1> chars = [] {
        std::array<char, S::text.size() + tail.size() + text.size() + 1> out{};
        char* at = std::copy_n(S::text.data(), S::text.size(), out.data());
        at = std::copy_n(tail.data(), tail.size(), at);
        std::copy_n(text.data(), text.size(), at);
        return out;
    }();
};

// Stops the import (fatal) when the stub documents a class or member that
// the filled module lacks.
void check_stub_docs(PyObject* module);

}  // namespace vorlent::py
