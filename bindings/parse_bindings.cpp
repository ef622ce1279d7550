// Python surface of the expression reader: parse.
#include "families.hpp"

#include "expr/parse.hpp"

#include <string>

namespace ondrex_py {

void bind_parse(py::module_& m) {
    m.def(
        "parse", [](std::string const& text) { return ond::parse(text); },
        "Reads an expression from text: every form repr writes, and the infix forms\n"
        "x + y or x ^ y (exclusive-or), x * y or x & y (conjunction), x | y (disjunction),\n"
        "~x (x + 1), parentheses, 0 and 1. ~ binds tighter than * and &, which bind tighter\n"
        "than + and ^, which bind tighter than |; each operator groups from the left. The\n"
        "result is what the operators give on the same text. Names are runs of characters\n"
        "other than white space, parentheses, commas and the operator characters; _3 is the\n"
        "argument symbol 3. A text that is no expression raises ValueError naming the\n"
        "position.");
}

} // namespace ondrex_py
