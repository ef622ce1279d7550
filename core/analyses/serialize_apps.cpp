// Binary form of the applications, built from the parts of vectors and matrices.
#include "analyses/serialize_apps.hpp"

#include "linalg/serialize_linalg.hpp"

#include <utility>

namespace ond {

// Parts found by encode_value() through argument-dependent lookup, so not in an unnamed
// namespace.
void collect(Encoder& w, AffApp const& a) {
    collect(w, a.matrix());
    collect(w, a.cst());
}

void write(Encoder& w, AffApp const& a) {
    write(w, a.matrix());
    write(w, a.cst());
}

void collect(Encoder& w, App const& a) {
    collect(w, a.nl().vector());
    collect(w, a.affine());
}

void write(Encoder& w, App const& a) {
    write(w, a.nl().vector());
    write(w, a.affine());
}

namespace {

// The size test of the constructor, as an error of the input rather than InvalidSizes.
AffApp read_aff_app(Decoder& r) {
    Matrix m = read_matrix(r);
    Vector cst = read_vector(r);
    if (m.nlines() != cst.size()) r.fail("an affine application whose sizes do not fit");
    return AffApp(std::move(m), std::move(cst));
}

} // namespace

std::string encode(AffApp const& a) { return encode_value(a, EncodedKind::aff_app); }

AffApp decode_aff_app(std::string_view bytes) {
    return decode_value(bytes, EncodedKind::aff_app, read_aff_app);
}

std::string encode(VectorApp const& a) { return encode_value(a.vector(), EncodedKind::vector_app); }

VectorApp decode_vector_app(std::string_view bytes) {
    return decode_value(bytes, EncodedKind::vector_app,
                       [](Decoder& r) { return VectorApp::from_body(read_vector(r)); });
}

std::string encode(App const& a) { return encode_value(a, EncodedKind::app); }

App decode_app(std::string_view bytes) {
    return decode_value(bytes, EncodedKind::app, [](Decoder& r) {
        VectorApp nl = VectorApp::from_body(read_vector(r));
        AffApp affine = read_aff_app(r);
        return App(std::move(nl), std::move(affine));
    });
}

} // namespace ond
