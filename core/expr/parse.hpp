// Reading expressions from text: every form the printer writes (print.hpp) and the infix forms
// users type. The result is what the arithmetic operators build from the same text, with the
// precedence ~ over * and & over + and ^ over |, each operator left-associative.
#pragma once

#include "expr/expr.hpp"
#include "expr/export.hpp"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ond {

namespace errors {

// Text that is not an expression; the message and position() name where reading stopped.
class OND_API ParseError : public std::invalid_argument {
public:
    ParseError(std::size_t position, std::string const& what);
    // In characters (UTF-8 code points) from the start of the text.
    std::size_t position() const { return position_; }

private:
    std::size_t position_;
};

} // namespace errors

// Grammar, from the loosest binding to the tightest:
//   or   := xor ('|' xor)*
//   xor  := and (('+' | '^') and)*
//   and  := not (('*' | '&') not)*
//   not  := '~' not | atom                 ~x is x + 1
//   atom := '(' or ')' | '(empty)' | 'ESF(' degree ',' or (',' or)* ')'
//         | 'ESF(' degree ', (empty))' | 'Sym(' name ')' | '0' | '1' | '_' digits | name
// A name is a run of characters other than white space, parentheses, commas and the operator
// characters; "_" and digits is an argument symbol; a name made only of digits is refused.
// "(empty)" is the exclusive-or node without arguments. Names new to the symbol table are
// entered in order of first appearance, and only when the whole text has been read.
//
// Cost: linear in the text (a run of n operands of one operator is combined at once, with one
// sort when it is not already ordered); no recursion, nesting bounded by max_encoded_depth.
OND_API Expr parse(std::string_view text);

} // namespace ond
