#include "linalg/print_linalg.hpp"

#include "expr/print.hpp"

#include <ostream>
#include <sstream>

namespace ond {

void print_vector(std::ostream& out, Vector const& v, Symbols const* syms) {
    if (v.empty()) {
        out << "Vec(empty)";
        return;
    }
    out << "Vec([" << std::endl;
    for (Vector::size_type i = 0; i + 1 < v.size(); ++i) {
        print_expr(out, v[i], syms);
        out << ',' << std::endl;
    }
    print_expr(out, v.back(), syms);
    out << std::endl << "])";
}

void print_matrix(std::ostream& out, Matrix const& m, Symbols const* syms) {
    if (m.elements().empty()) {
        out << "Mat(empty)";
        return;
    }
    out << "Mat([" << std::endl;
    for (unsigned long i = 0; i < m.nlines(); ++i) {
        out << '[';
        for (unsigned long j = 0; j < m.ncols(); ++j) {
            if (j != 0) out << ", ";
            print_expr(out, m.at(i, j), syms);
        }
        out << ']' << std::endl;
    }
    out << "])";
}

std::string vector_text(Vector const& v) {
    std::ostringstream s;
    print_vector(s, v, &symbols());
    return s.str();
}

std::string matrix_text(Matrix const& m) {
    std::ostringstream s;
    print_matrix(s, m, &symbols());
    return s.str();
}

} // namespace ond
