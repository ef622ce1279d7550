// Reference timings for the ondrex benchmarks: the same work done with the BRiAl polynomial
// library, written as its users write it (best variable order, terms walked with the exponent
// iterator). Prints "key value" lines; times in seconds.
//
//   brial_driver adder N [blocked]     adder, interleaved order a_i = 2i, b_i = 2i + 1 (default)
//                                      or blocked a_i = i, b_i = N + i
//   brial_driver product FILE          P * Q, FILE holds two polynomials (format below)
//   brial_driver add FILE              P + Q, same file format
//   brial_driver anf FILE              builds the first polynomial of FILE: node count and memory
//   brial_driver esf NVARS DEGREE      e_d by the recurrence e_k += x * e_(k-1)
//   brial_driver esf_loop FILE         e += x_i*x_j*x_k over the triples of FILE, in its order
//   brial_driver spn FILE              the 2-round SPN described by FILE (see spn())
#include <polybori.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

USING_NAMESPACE_PBORI

namespace {

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

long rss_bytes() {
    std::ifstream in("/proc/self/statm");
    long pages = 0, resident = 0;
    in >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// Every term and its variables, as a consumer of explicit monomials does it.
struct Walk {
    unsigned long terms = 0, vars = 0;
    void operator()(BoolePolynomial const& p) {
        for (BoolePolynomial::exp_iterator it = p.expBegin(), end = p.expEnd(); it != end; ++it) {
            ++terms;
            vars += (*it).size();
        }
    }
};

void adder(int n, bool blocked) {
    BoolePolyRing ring(2 * n);
    long rss0 = rss_bytes();
    double t0 = now();
    std::vector<BoolePolynomial> out;
    BoolePolynomial carry(ring.zero());
    for (int i = 0; i < n; ++i) {
        BoolePolynomial a = BooleVariable(blocked ? i : 2 * i, ring);
        BoolePolynomial b = BooleVariable(blocked ? n + i : 2 * i + 1, ring);
        BoolePolynomial p = a + b;
        out.push_back(p + carry);
        carry = a * b + carry * p;
    }
    double t1 = now();
    Walk w;
    for (BoolePolynomial const& p : out) w(p);
    double t2 = now();
    unsigned long nodes = 0;
    for (BoolePolynomial const& p : out) nodes += p.nNodes();
    std::printf("adder_compute %.6f\nadder_walk %.6f\nadder_terms %lu\nadder_nodes %lu\n"
                "node_bytes %zu\nadder_rss %ld\n",
                t1 - t0, t2 - t1, w.terms, nodes, sizeof(DdNode), rss_bytes() - rss0);
}

// Monomials separated by ';', variables by ','; one polynomial per line.
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

struct TwoPolys {
    BoolePolyRing ring;
    BoolePolynomial p, q;
};

TwoPolys read_two(char const* file, int nvars = 64) {
    BoolePolyRing ring(nvars);
    std::ifstream in(file);
    std::string l1, l2;
    std::getline(in, l1);
    std::getline(in, l2);
    return {ring, read_poly(l1, ring), read_poly(l2, ring)};
}

// One operation on the two polynomials of the file, then the walk of its result; prints
// "KEY seconds", "KEY_walk seconds" and "KEY_terms count".
template <class Op>
void two_poly_case(char const* file, char const* key, Op op) {
    TwoPolys t = read_two(file);
    double t0 = now();
    BoolePolynomial r = op(t.p, t.q);
    double t1 = now();
    Walk w;
    w(r);
    double t2 = now();
    std::printf("%s %.6f\n%s_walk %.6f\n%s_terms %lu\n", key, t1 - t0, key, t2 - t1, key, w.terms);
}

void product(char const* file) {
    two_poly_case(file, "product", [](BoolePolynomial const& p, BoolePolynomial const& q) {
        return p * q;
    });
}

void add(char const* file) {
    two_poly_case(file, "add", [](BoolePolynomial const& p, BoolePolynomial const& q) {
        return p + q;
    });
}

void anf(char const* file) {
    BoolePolyRing ring(64);
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    long rss0 = rss_bytes();
    BoolePolynomial p = read_poly(line, ring);
    long rss1 = rss_bytes();
    std::printf("anf_terms %lu\nanf_nodes %lu\nnode_bytes %zu\nanf_rss %ld\n",
                (unsigned long)p.length(), (unsigned long)p.nNodes(), sizeof(DdNode), rss1 - rss0);
}

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

// FILE: the number of variables, then one triple "i j k" per line.
void esf_loop(char const* file) {
    std::ifstream in(file);
    int nvars = 0;
    in >> nvars;
    std::vector<int> idx;
    for (int v; in >> v;) idx.push_back(v);
    BoolePolyRing ring(nvars);
    std::vector<BoolePolynomial> x;
    for (int i = 0; i < nvars; ++i) x.push_back(BooleVariable(i, ring));
    double t0 = now();
    BoolePolynomial e(ring.zero());
    for (size_t t = 0; t + 2 < idx.size(); t += 3) e += x[idx[t]] * x[idx[t + 1]] * x[idx[t + 2]];
    double t1 = now();
    Walk w;
    w(e);
    double t2 = now();
    std::printf("esf_loop %.6f\nesf_loop_walk %.6f\nesf_loop_terms %lu\n", t1 - t0, t2 - t1,
                w.terms);
}

// FILE, whitespace separated: the 16 S-box values; the 16 targets of the bit permutation (bit i
// moves to perm[i]); the number of rounds R; then the variable index of every symbol: 16
// plaintext bits, then R + 1 keys of 16 bits. The state is x + k_0; a round is the S-box layer
// (S-box j on bits 4j..4j+3, bit i of the nibble is input bit 4j+i), the permutation, + k_(r+1).
void spn(char const* file) {
    std::ifstream in(file);
    std::vector<int> sbox(16), perm(16);
    int rounds = 0;
    for (int& v : sbox) in >> v;
    for (int& v : perm) in >> v;
    in >> rounds;
    std::vector<int> index(16 * (rounds + 2));
    for (int& v : index) in >> v;
    BoolePolyRing ring(16 * (rounds + 2));
    auto var = [&](int k) { return BoolePolynomial(BooleVariable(index[k], ring)); };
    // Coefficients of each output bit's ANF, by the binary Moebius transform of the table.
    std::vector<std::vector<int>> coef(4, std::vector<int>(16));
    for (int bit = 0; bit < 4; ++bit) {
        for (int v = 0; v < 16; ++v) coef[bit][v] = sbox[v] >> bit & 1;
        for (int i = 0; i < 4; ++i)
            for (int v = 0; v < 16; ++v)
                if (v >> i & 1) coef[bit][v] ^= coef[bit][v ^ (1 << i)];
    }
    double t0 = now();
    std::vector<BoolePolynomial> state;
    for (int i = 0; i < 16; ++i) state.push_back(var(i) + var(16 + i));
    std::vector<double> round_end;
    for (int r = 0; r < rounds; ++r) {
        std::vector<BoolePolynomial> next(16, BoolePolynomial(ring.zero()));
        for (int j = 0; j < 4; ++j) {
            // Products of the nibble's inputs over every subset, each built once.
            std::vector<BoolePolynomial> sub(16, BoolePolynomial(ring.one()));
            for (int v = 1; v < 16; ++v) {
                int low = __builtin_ctz(v);
                sub[v] = sub[v & (v - 1)] * state[4 * j + low];
            }
            for (int bit = 0; bit < 4; ++bit) {
                BoolePolynomial o(ring.zero());
                for (int v = 0; v < 16; ++v)
                    if (coef[bit][v]) o += sub[v];
                next[perm[4 * j + bit]] = o;
            }
        }
        for (int i = 0; i < 16; ++i) next[i] += var(16 * (r + 2) + i);
        state = next;
        round_end.push_back(now());
    }
    double t1 = now();
    Walk w;
    for (BoolePolynomial const& p : state) w(p);
    double t2 = now();
    for (int r = 0; r < rounds; ++r) std::printf("spn_round%d %.6f\n", r + 1, round_end[r] - t0);
    std::printf("spn %.6f\nspn_walk %.6f\nspn_terms %lu\n", t1 - t0, t2 - t1, w.terms);
}

} // namespace

int main(int argc, char** argv) {
    std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "adder" && (argc == 3 || argc == 4))
        adder(std::atoi(argv[2]), argc == 4 && std::string(argv[3]) == "blocked");
    else if (cmd == "product" && argc == 3)
        product(argv[2]);
    else if (cmd == "add" && argc == 3)
        add(argv[2]);
    else if (cmd == "anf" && argc == 3)
        anf(argv[2]);
    else if (cmd == "esf" && argc == 4)
        esf(std::atoi(argv[2]), std::atoi(argv[3]));
    else if (cmd == "esf_loop" && argc == 3)
        esf_loop(argv[2]);
    else if (cmd == "spn" && argc == 3)
        spn(argv[2]);
    else {
        std::fprintf(stderr, "usage: brial_driver adder N [blocked] | product FILE | add FILE | "
                             "anf FILE | esf NVARS DEGREE | esf_loop FILE | spn FILE\n");
        return 2;
    }
    return 0;
}
