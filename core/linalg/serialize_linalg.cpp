// Binary form of vectors and matrices.
#include "linalg/serialize_linalg.hpp"

#include <cstdint>
#include <utility>

namespace ond {

void collect(Encoder& w, Vector const& v) {
    for (Expr const& e : v) w.collect(e);
}

void write(Encoder& w, Vector const& v) {
    w.write_number(v.size());
    for (Expr const& e : v) w.write(e);
}

Vector read_vector(Decoder& r) {
    Vector v;
    std::uint64_t n = r.read_count();
    v.reserve(n);
    for (; n > 0; --n) v.push_back(r.read_expr());
    return v;
}

void collect(Encoder& w, Matrix const& m) { collect(w, m.elements()); }

void write(Encoder& w, Matrix const& m) {
    w.write_number(m.ncols());
    w.write_number(m.nlines());
    for (Expr const& e : m) w.write(e);
}

Matrix read_matrix(Decoder& r) {
    std::uint64_t ncols = r.read_number();
    std::uint64_t nlines = r.read_number();
    std::uint64_t n;
    // Every element takes a byte at least.
    if (__builtin_mul_overflow(ncols, nlines, &n) || n > r.left())
        r.fail("a matrix of " + std::to_string(nlines) + " x " + std::to_string(ncols) +
               " elements is larger than the input");
    if (ncols == 0 && nlines != 0) r.fail("a matrix with lines but no column");
    Vector elts;
    elts.reserve(n);
    for (; n > 0; --n) elts.push_back(r.read_expr());
    return Matrix::from_storage(ncols, std::move(elts));
}

std::string encode(Vector const& v) { return encode_value(v, EncodedKind::vector); }

Vector decode_vector(std::string_view bytes) {
    return decode_value(bytes, EncodedKind::vector, read_vector);
}

std::string encode(Matrix const& m) { return encode_value(m, EncodedKind::matrix); }

Matrix decode_matrix(std::string_view bytes) {
    return decode_value(bytes, EncodedKind::matrix, read_matrix);
}

} // namespace ond
