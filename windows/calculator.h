#pragma once
// The calculator's operations, apart from its window: each reads the fields
// it needs, in its order, computes in long double (int for "div" and "mod")
// and gives the answer's text. Every failure throws tessarin::Error with the
// message the user sees; no infinity or NaN becomes an answer.
#include <QString>

namespace calculator {

enum class Operation {
    Add,        // "+"
    Subtract,   // "-"
    Multiply,   // "*"
    Divide,     // "/"
    SquareRoot, // "sqrt"
    Square,     // "sqr"
    Power,      // "^": reads the second field first
    Factorial,  // "fact": Fact of libuniversal
    Quotient,   // "div"
    Remainder,  // "mod"
    Logarithm,  // "ln"
};

// The answer of op to the texts of the first and second field, with the
// user's decimal separator.
QString answer(Operation op, const QString &first, const QString &second);

} // namespace calculator
