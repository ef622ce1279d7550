// Reference timings for bench_inverse.py: reads one 0/1 matrix (its size n on the first line,
// then n lines of n characters '0'/'1') and prints, in seconds, the best time of a plain copy of
// the ond::Matrix, of ond::Matrix::inverse and of mzd_inv_m4ri on the same bits, then whether
// both inverses agree. Build command: see bench_inverse.py.
#include "linalg/matrix.hpp"

#include <m4ri/m4ri.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

template <class F>
double best_of(int reps, F f) {
    double best = 1e30;
    for (int r = 0; r < reps; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        f();
        auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    int reps = argc > 1 ? std::stoi(argv[1]) : 3;
    unsigned long n;
    std::cin >> n;
    ond::Matrix m(n, n);
    mzd_t* a = mzd_init(n, n);
    std::string line;
    for (unsigned long i = 0; i < n; ++i) {
        std::cin >> line;
        for (unsigned long j = 0; j < n; ++j)
            if (line[j] == '1') {
                m.at(i, j) = ond::Expr::imm(true);
                mzd_write_bit(a, i, j, 1);
            }
    }

    double copy_s = best_of(reps, [&] {
        ond::Matrix c(m);
        if (c.ncols() != n) std::abort();
    });
    ond::Matrix inv;
    double inverse_s = best_of(reps, [&] { inv = m.inverse(); });
    mzd_t* ainv = nullptr;
    double m4ri_s = best_of(reps, [&] {
        if (ainv) mzd_free(ainv);
        ainv = mzd_inv_m4ri(nullptr, a, 0);
    });

    bool agree = inv.nlines() == n;
    for (unsigned long i = 0; agree && i < n; ++i)
        for (unsigned long j = 0; agree && j < n; ++j)
            agree = inv.at(i, j).is_one() == (mzd_read_bit(ainv, i, j) != 0);
    std::printf("%.6f %.6f %.6f %d\n", copy_s, inverse_s, m4ri_s, agree ? 1 : 0);
    mzd_free(ainv);
    mzd_free(a);
    return 0;
}
