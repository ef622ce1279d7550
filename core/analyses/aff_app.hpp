// AffApp: an affine application x -> M.x + c over GF(2), a matrix with one line per output and
// one column per input, and a constant vector with one element per output.
#pragma once

#include "expr/export.hpp"
#include "linalg/matrix.hpp"
#include "linalg/vector.hpp"

#include <exception>

namespace ond {

class OND_API AffApp {
public:
    // The constant does not have one element per line of the matrix.
    class OND_API InvalidSizes : public std::exception {
    public:
        const char* what() const noexcept override;
    };

    // Throws InvalidSizes unless M.nlines() == cst.size(); the column count is free.
    AffApp(Matrix const& M, Vector const& cst);
    AffApp(Matrix&& M, Vector&& cst);

    // M.v + cst, not simplified; SizeMismatch unless v.size() == matrix().ncols().
    Vector operator()(Vector const& v) const;

    Matrix const& matrix() const { return M_; }
    Vector const& cst() const { return cst_; }

private:
    void check_sizes() const;

    Matrix M_;
    Vector cst_;
};

} // namespace ond
