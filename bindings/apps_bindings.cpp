// Python surface of the applications (AffApp, VectorApp, App) and of the submodule analyses
// (vectorial_decomp). Accessors hand out references into their owner that keep it alive.
#include "families.hpp"
#include "pickling.hpp"

#include "analyses/aff_app.hpp"
#include "analyses/app.hpp"
#include "analyses/serialize_apps.hpp"
#include "analyses/vector_app.hpp"
#include "analyses/vectorial_decomp.hpp"
#include "linalg/matrix.hpp"
#include "linalg/print_linalg.hpp"
#include "linalg/vector.hpp"

#include <string>

using ond::AffApp;
using ond::App;
using ond::Matrix;
using ond::Vector;
using ond::VectorApp;

namespace ondrex_py {

namespace {

std::string aff_app_text(AffApp const& a) {
    return "AffApp matrix = " + ond::matrix_text(a.matrix()) +
           "\n\nAffApp cst = " + ond::vector_text(a.cst());
}

constexpr auto ref = py::return_value_policy::reference_internal;

} // namespace

void bind_apps(py::module_& m) {
    py::class_<AffApp> aff(m, "AffApp", "Represents an affine application");
    aff.def(py::init<Matrix const&, Vector const&>())
        .def("__call__", &AffApp::operator())
        .def("matrix", &AffApp::matrix, ref)
        .def("cst", &AffApp::cst, ref)
        .def("__repr__", &aff_app_text);
    def_pickling(aff, [](AffApp const& a) { return ond::encode(a); }, &ond::decode_aff_app);

    py::class_<VectorApp> vapp(m, "VectorApp",
                               "Represents a generic application by a Vector object");
    vapp.def(py::init<Vector const&, Vector const&>())
        .def("__call__", &VectorApp::operator())
        .def("vector", &VectorApp::vector, ref)
        .def("__repr__", [](VectorApp const& a) { return ond::vector_text(a.vector()); });
    def_pickling(vapp, [](VectorApp const& a) { return ond::encode(a); },
                 &ond::decode_vector_app);

    py::class_<App> app(m, "App",
                        "Represents an application by separating the\t\tnon-linear and affine "
                        "parts");
    app.def(py::init<VectorApp const&, AffApp const&>())
        .def("__call__", &App::operator())
        .def("matrix", &App::matrix, ref)
        .def("cst", &App::cst, ref)
        .def("nl", &App::nl, ref)
        .def("affine", &App::affine, ref)
        .def("__repr__", [](App const& a) {
            return "App NL = " + ond::vector_text(a.nl().vector()) + "\n\n" +
                   aff_app_text(a.affine());
        });
    def_pickling(app, [](App const& a) { return ond::encode(a); }, &ond::decode_app);
}

void bind_analyses(py::module_& analyses) {
    analyses.def("vectorial_decomp", &ond::analyses::vectorial_decomp);
}

} // namespace ondrex_py
