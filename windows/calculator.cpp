#include "windows/calculator.h"

#include "platform/datetime.h"
#include "platform/error.h"
#include "platform/numbers.h"
#include "universal/universal.h"

#include <cfloat>
#include <climits>
#include <cmath>

namespace calculator {
namespace {

// Where the processor would trap, the same messages come from explicit checks.
[[noreturn]] void fail(const char *message) { throw tessarin::Error(QString::fromUtf8(message)); }
[[noreturn]] void invalid() { fail("Invalid floating point operation"); }
[[noreturn]] void divisionByZero() { fail("Floating point division by zero"); }
[[noreturn]] void overflow() { fail("Floating point overflow"); }

long double real(const QString &text) { return numbers::readReal(text, decimalSeparator()); }

QString realAnswer(long double value) {
    if (std::isnan(value))
        invalid();
    if (std::isinf(value))
        overflow();
    return numbers::realText(value, decimalSeparator());
}

long double quotient(long double a, long double b) {
    if (b == 0) {
        if (a == 0)
            invalid();
        divisionByZero();
    }
    return a / b;
}

long double logarithm(long double a) {
    if (a == 0)
        divisionByZero();
    if (a < 0)
        invalid();
    return std::log(a);
}

long double squareRoot(long double a) {
    if (a < 0)
        invalid();
    return std::sqrt(a);
}

// e to the power (b ln a): only a positive a has a power.
long double power(long double a, long double b) {
    const long double exponent = b * logarithm(a);
    if (std::isinf(exponent))
        overflow();
    return std::exp(exponent);
}

// Fact takes a double and its answer is shown as a double.
long double factorial(long double a) {
    if (std::fabs(a) > DBL_MAX)
        overflow();
    const long double value = Fact(double(a));
    if (std::isnan(value))
        fail("Факториал отрицательного целого числа не определён");
    if (std::fabs(value) > DBL_MAX)
        overflow();
    return double(value);
}

int integerQuotient(int a, int b, bool remainder) {
    if (b == 0)
        fail("Division by zero");
    if (a == INT_MIN && b == -1)
        fail("Integer overflow");
    return remainder ? a % b : a / b;
}

} // namespace

QString answer(Operation op, const QString &first, const QString &second) {
    using O = Operation;
    switch (op) {
    case O::Add:
    case O::Subtract:
    case O::Multiply:
    case O::Divide: {
        const long double a = real(first);
        const long double b = real(second);
        return realAnswer(op == O::Add ? a + b : op == O::Subtract ? a - b : op == O::Multiply ? a * b : quotient(a, b));
    }
    case O::SquareRoot: return realAnswer(squareRoot(real(first)));
    case O::Square: {
        const long double a = real(first);
        return realAnswer(a * a);
    }
    case O::Power: {
        const long double b = real(second);
        return realAnswer(power(real(first), b));
    }
    case O::Factorial: return realAnswer(factorial(real(first)));
    case O::Quotient:
    case O::Remainder: {
        const int a = numbers::readInteger(first);
        const int b = numbers::readInteger(second);
        return QString::number(integerQuotient(a, b, op == O::Remainder));
    }
    case O::Logarithm: return realAnswer(logarithm(real(first)));
    }
    return {};
}

} // namespace calculator
