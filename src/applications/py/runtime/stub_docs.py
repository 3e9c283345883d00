"""Build step: writes the docstrings of the type stub as C++ table rows.

    python stub_docs.py STUB OUT

The stub (python/vorlent/_vorlent.pyi) is the one place a docstring is
written; the extension includes the rows (runtime/docstring.hpp) and gives
each class, method and property the same text at run time. Every class and
every public method or property of the stub must have a docstring; a name
the extension lacks, or one the stub does not document, stops the build or
the import (see docstring.hpp).
"""

import ast
import sys

DELIM = "doc"  # of the C++ raw string literals


def rows(stub_text, stub_name):
    tree = ast.parse(stub_text, stub_name)
    out, problems = [], []

    def add(owner, member, node):
        text = ast.get_docstring(node)
        where = f"{stub_name}:{node.lineno}: {owner}{'.' + member if member else ''}"
        if not text:
            problems.append(f"{where} has no docstring")
        elif f"){DELIM}\"" in text:
            problems.append(f"{where}: the docstring holds ){DELIM}\"")
        elif (owner, member) in {(o, m) for o, m, _ in out}:
            problems.append(f"{where} is documented twice")
        else:
            out.append((owner, member, text))

    for cls in tree.body:
        if not isinstance(cls, ast.ClassDef):
            continue
        add(cls.name, "", cls)
        for fn in cls.body:
            if isinstance(fn, ast.FunctionDef) and not fn.name.startswith("_"):
                add(cls.name, fn.name, fn)
    return out, problems


def main(stub_path, out_path):
    with open(stub_path, encoding="utf-8") as f:
        found, problems = rows(f.read(), stub_path)
    if problems:
        sys.exit("\n".join(problems))
    with open(out_path, "w", encoding="utf-8") as f:
        f.write(f"// Generated from {stub_path.rsplit('/', 1)[-1]} by stub_docs.py; do not edit.\n")
        for owner, member, text in found:
            f.write(f'{{"{owner}", "{member}", R"{DELIM}({text}){DELIM}"}},\n')


if __name__ == "__main__":
    main(*sys.argv[1:])
