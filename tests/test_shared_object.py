"""What the module's shared object exports, and the interpreter version check."""

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
