// Reference timings for bench/bench_simplify.py: the same work done with the BRiAl polynomial library.
// Usage: brial_driver adder N | brial_driver product FILE | brial_driver esf NVARS DEGREE
// Prints "key seconds" lines.
#include <polybori.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

USING_NAMESPACE_PBORI

namespace {

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void adder(int n) {
    BoolePolyRing ring(2 * n);
    double t0 = now();
    std::vector<BoolePolynomial> out;
    BoolePolynomial carry(ring.zero());
    for (int i = 0; i < n; ++i) {
        BoolePolynomial a = BooleVariable(i, ring), b = BooleVariable(n + i, ring);
        BoolePolynomial p = a + b;
        out.push_back(p + carry);
        carry = a * b + carry * p;
    }
    double t1 = now();
    // Walk every term and its variables, as a consumer of explicit monomials would.
    unsigned long terms = 0, vars = 0;
    for (BoolePolynomial const& p : out)
        for (BoolePolynomial::const_iterator it = p.begin(); it != p.end(); ++it) {
            ++terms;
            BooleMonomial m = *it;
            for (BooleMonomial::const_iterator v = m.begin(); v != m.end(); ++v) ++vars;
        }
    double t2 = now();
    std::printf("adder_compute %.6f\nadder_walk %.6f\nadder_terms %lu\n", t1 - t0, t2 - t1, terms);
    (void)vars;
}

// The file holds two polynomials, one per line: monomials separated by ';', variables by ','.
BoolePolynomial read_poly(std::string const& line, BoolePolyRing const& ring) {
    BoolePolynomial p(ring.zero());
    std::stringstream ms(line);
    std::string mono;
    while (std::getline(ms, mono, ';')) {
        BooleMonomial m(ring);
        std::stringstream vs(mono);
        std::string v;
        while (std::getline(vs, v, ',')) m *= BooleVariable(std::stoi(v), ring);
        p += m;
    }
    return p;
}

void product(char const* file) {
    BoolePolyRing ring(64);
    std::ifstream in(file);
    std::string l1, l2;
    std::getline(in, l1);
    std::getline(in, l2);
    BoolePolynomial p = read_poly(l1, ring), q = read_poly(l2, ring);
    double t0 = now();
    BoolePolynomial r = p * q;
    double t1 = now();
    std::printf("product %.6f\nproduct_terms %lu\n", t1 - t0, (unsigned long)r.length());
}

// e_d over the variables by the recurrence e_k <- e_k + x * e_(k-1).
void esf(int nvars, int d) {
    BoolePolyRing ring(nvars);
    double t0 = now();
    std::vector<BoolePolynomial> e(d + 1, BoolePolynomial(ring.zero()));
    e[0] = ring.one();
    for (int i = 0; i < nvars; ++i) {
        BoolePolynomial x = BooleVariable(i, ring);
        for (int k = d; k >= 1; --k) e[k] += x * e[k - 1];
    }
    double t1 = now();
    std::printf("esf %.6f\nesf_terms %lu\n", t1 - t0, (unsigned long)e[d].length());
}

} // namespace

int main(int argc, char** argv) {
    std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "adder" && argc == 3)
        adder(std::atoi(argv[2]));
    else if (cmd == "product" && argc == 3)
        product(argv[2]);
    else if (cmd == "esf" && argc == 4)
        esf(std::atoi(argv[2]), std::atoi(argv[3]));
    else {
        std::fprintf(stderr, "usage: brial_driver adder N | product FILE | esf NVARS DEGREE\n");
        return 2;
    }
    return 0;
}
