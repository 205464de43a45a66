#!/usr/bin/env python3
"""Builds the fuzzers' seed corpus: every YAML file of the shared corpus (split
into documents too, so that small seeds exist), a few texts nested thousands of
levels deep, and the YAML snippets written in the project's own tests.

    python3 fuzz/make_seed_corpus.py OUT_DIR [--snippets-only]

With --snippets-only, only the texts of the tests are written.
"""

import ast
import hashlib
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT.parent / "shared" / "corpus"
MAX_SEED = 64 * 1024

# C++ string literals: raw strings and ordinary ones (adjacent pieces joined).
RAW = re.compile(r'R"([^(\s]*)\((.*?)\)\1"', re.S)
PLAIN = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
CPP_ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "0": "\0", "\\": "\\", '"': '"', "'": "'"}


def looks_like_yaml(text: str) -> bool:
    return len(text) >= 2 and any(c in text for c in ":-[{#\n")


def python_snippets(path: pathlib.Path):
    try:
        tree = ast.parse(path.read_text(encoding="utf-8"))
    except (SyntaxError, UnicodeDecodeError):
        return
    for node in ast.walk(tree):
        if isinstance(node, ast.Constant):
            if isinstance(node.value, str) and looks_like_yaml(node.value):
                yield node.value.encode("utf-8", "surrogatepass")
            elif isinstance(node.value, bytes) and looks_like_yaml(node.value.decode("latin-1")):
                yield node.value


def cpp_unescape(body: str) -> str:
    return re.sub(r"\\(.)", lambda m: CPP_ESCAPES.get(m.group(1), m.group(1)), body)


def cpp_snippets(path: pathlib.Path):
    text = path.read_text(encoding="utf-8", errors="replace")
    for m in RAW.finditer(text):
        if looks_like_yaml(m.group(2)):
            yield m.group(2).encode()
    text = RAW.sub("", text)
    # Adjacent literals form one string; join them across whitespace.
    for run in re.finditer(r'(?:"(?:[^"\\\n]|\\.)*"\s*)+', text):
        body = "".join(cpp_unescape(p) for p in PLAIN.findall(run.group(0)))
        if looks_like_yaml(body):
            yield body.encode("utf-8", "replace")


def corpus_files():
    if not CORPUS.is_dir():
        return
    for p in sorted(CORPUS.rglob("*")):
        if p.suffix in (".yaml", ".yml") and p.is_file():
            data = p.read_bytes()
            yield data[:MAX_SEED]
            for doc in re.split(rb"(?m)^---", data):
                if doc.strip():
                    yield doc[:MAX_SEED]


def deep_nests():
    # Texts nested thousands of levels deep, near the reader's limit: every walk
    # over a tree, the checks' own included, must keep its stack off the native one.
    yield b"- " * 7000 + b"x\n"
    yield b"- " * 4000 + b"x\n"  # as deep as the line reader reads a sequence nest
    yield b"".join(b" " * i + b"k:\n" for i in range(160)) + b" " * 160 + b"v\n"
    yield b"- " * 3000 + b"[" * 200 + b"]" * 200 + b"\n"


def main() -> int:
    args = sys.argv[1:]
    snippets_only = "--snippets-only" in args
    args = [a for a in args if a != "--snippets-only"]
    if len(args) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    out = pathlib.Path(args[0])
    out.mkdir(parents=True, exist_ok=True)
    seeds = [] if snippets_only else [*corpus_files(), *deep_nests()]
    for p in sorted((ROOT / "tests" / "python").glob("*.py")):
        seeds.extend(python_snippets(p))
    for p in sorted((ROOT / "tests" / "cpp").glob("*.cpp")):
        seeds.extend(cpp_snippets(p))
    written = 0
    for data in seeds:
        name = hashlib.sha1(data).hexdigest()
        target = out / name
        if not target.exists():
            target.write_bytes(data)
            written += 1
    print(f"{written} seeds in {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
