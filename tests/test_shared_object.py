"""What the module's shared object exports, and the interpreter version check."""

import glob
import os
import shutil
import subprocess
import sys

import pytest

import ondrex

nm = shutil.which("nm")


@pytest.fixture(scope="module")
def exported():
    if nm is None:
        pytest.skip("nm is not available")
    out = subprocess.run([nm, "-D", "--defined-only", "-C", ondrex.__file__],
                         capture_output=True, text=True, check=True).stdout
    return [line.split(" ", 2)[2] for line in out.splitlines() if line.count(" ") >= 2]


@pytest.mark.parametrize("name", [
    "PyInit_ondrex", "ond::symbol(char const*)", "ond::arg_symbol(unsigned int)", "ond::symbols()",
    "ond::pp_print_sym", "ond::pp_sym_display(bool)", "ond::Expr::operator+(ond::Expr const&) const",
    "ond::Expr::contains(ond::Expr const&) const", "ond::Expr::hash() const",
    "ond::Symbols::name(ond::ExprSym const&) const", "BadType::BadType(char const*)", "expr_eq",
    "expr_neq",
    # accessors defined in the headers are core operations too
    "ond::Expr::type() const", "ond::Expr::name() const", "ond::Vector::at(unsigned long)",
    "ond::Matrix::same_size(ond::Matrix const&) const", "ond::Matrix::nlines() const",
    "ond::AffApp::matrix() const", "ond::App::nl() const", "ond::VectorApp::vector() const"])
def test_core_operations_are_exported(exported, name):
    assert any(sym == name or sym.startswith(name) for sym in exported), name


@pytest.mark.parametrize("name", ["print_expr", "subs_map", "simplify_rec", "simplify_no_rec",
                                  "print_vector", "print_matrix"])
def test_internals_are_hidden(exported, name):
    assert not [sym for sym in exported if f"ond::{name}(" in sym or f"::{name}(" in sym]


FAKE_VERSION_C = """
#include <stdlib.h>
const char* Py_GetVersion(void) {
    const char* v = getenv("FAKE_PY_VERSION");
    return v ? v : "3.12.0";
}
"""


@pytest.fixture(scope="module")
def fake_version_lib(tmp_path_factory):
    """A preloadable library that makes the interpreter report another version string."""
    cc = shutil.which("cc") or shutil.which("gcc")
    if cc is None:
        pytest.skip("no C compiler")
    d = tmp_path_factory.mktemp("fakever")
    (d / "fakever.c").write_text(FAKE_VERSION_C)
    subprocess.run([cc, "-shared", "-fPIC", "-o", str(d / "fakever.so"), str(d / "fakever.c")], check=True)
    return str(d / "fakever.so")


def import_under_version(lib, version):
    # Libraries already preloaded (the sanitizer runtimes in the sanitizer run) must stay first.
    preload = " ".join(filter(None, [os.environ.get("LD_PRELOAD"), lib]))
    env = dict(os.environ, FAKE_PY_VERSION=version, LD_PRELOAD=preload,
               PYTHONPATH=os.path.dirname(ondrex.__file__))
    code = "try:\n    import ondrex; print('imported')\nexcept ImportError as e:\n    print(e)\n"
    return subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True,
                          timeout=60).stdout.strip()


@pytest.mark.parametrize("version", ["3.13.0 (main)", "3.11.9", "3.120.1", "3.1"])
def test_other_versions_are_refused(fake_version_lib, version):
    assert import_under_version(fake_version_lib, version) == (
        "Python version mismatch: module was compiled for Python 3.12, "
        f"but the interpreter version is incompatible: {version}.")


@pytest.mark.parametrize("version", ["3.12.0", "3.12.11+ (local build)"])
def test_any_312_release_imports(fake_version_lib, version):
    assert import_under_version(fake_version_lib, version) == "imported"


# Private symbols of the interpreter that belong to the stable ABI, and so stay in later releases.
STABLE_PRIVATE = {"_Py_Dealloc", "_Py_NoneStruct", "_Py_TrueStruct", "_Py_FalseStruct",
                  "_Py_NotImplementedStruct", "_PyObject_New"}


def test_private_interpreter_symbols_are_referenced_weakly():
    # A strong reference to one that a later release removed fails the load of the module
    # before its version check can run (bindings/weak_python_symbols.hpp).
    if nm is None:
        pytest.skip("nm is not available")
    out = subprocess.run([nm, "-D", "--undefined-only", ondrex.__file__], capture_output=True,
                         text=True, check=True).stdout
    strong = [line.split()[-1] for line in out.splitlines() if line.split()[0] == "U"]
    assert [s for s in strong if s.startswith("_Py") and s not in STABLE_PRIVATE] == []


def interpreter_candidates(minor):
    roots = [os.environ.get("PYENV_ROOT"), os.path.expanduser("~/.pyenv"), "/root/.pyenv"]
    paths = [shutil.which(f"python3.{minor}"), f"/usr/bin/python3.{minor}",
             f"/usr/local/bin/python3.{minor}"]
    for root in filter(None, roots):
        paths += sorted(glob.glob(os.path.join(root, "versions", f"3.{minor}*", "bin",
                                               f"python3.{minor}")), reverse=True)
    return [p for p in dict.fromkeys(filter(None, paths)) if os.access(p, os.X_OK)]


def find_interpreter(minors):
    """An interpreter of one of these minor versions that runs here, and its version string."""
    for minor in minors:
        for path in interpreter_candidates(minor):
            try:
                r = subprocess.run([path, "-I", "-c", "import sys; print(sys.version)"],
                                   capture_output=True, text=True, timeout=60,
                                   env={"PATH": os.environ.get("PATH", "")})
            except (OSError, subprocess.TimeoutExpired):
                continue
            if r.returncode == 0 and r.stdout.startswith(f"3.{minor}."):
                return path, r.stdout.strip()
    return None


@pytest.mark.parametrize("minors", [range(13, 20), [11]], ids=["later", "earlier"])
def test_other_interpreters_refuse_the_module_with_the_version_message(tmp_path, minors):
    found = find_interpreter(minors)
    if found is None:
        pytest.skip(f"no Python 3.{minors[0]}" + ("+" if len(minors) > 1 else "") +
                    " interpreter on this machine")
    python, version = found
    # Under its plain name, which every interpreter looks for; the sanitizer runtimes preloaded
    # in the sanitizer run stay.
    shutil.copy(ondrex.__file__, tmp_path / "ondrex.so")
    env = {k: v for k, v in os.environ.items() if not k.startswith("PYTHON")}
    env["PYTHONPATH"] = str(tmp_path)
    r = subprocess.run([python, "-c", "import ondrex"], env=env, capture_output=True, text=True,
                       timeout=120, cwd=tmp_path)
    assert r.returncode == 1
    assert r.stderr.strip().splitlines()[-1] == (
        "ImportError: Python version mismatch: module was compiled for Python 3.12, "
        f"but the interpreter version is incompatible: {version}.")
