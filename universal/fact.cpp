#include "universal/universal.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

// 170! is the largest factorial a double holds.
constexpr double kLargestWhole = 170;

long double beyondDouble(long double value) {
    if (std::fabs(value) <= DBL_MAX)
        return value;
    return std::copysign(std::numeric_limits<long double>::infinity(), value);
}

} // namespace

long double Fact(double x) {
    if (std::isnan(x))
        return x;
    if (x == std::floor(x)) {
        if (x < 0)
            return std::numeric_limits<long double>::quiet_NaN();
        if (x > kLargestWhole)
            return std::numeric_limits<long double>::infinity();
        // The product of at most 170 factors in 64-bit mantissas: exact up
        // to 25!, and well within half a double's last digit beyond.
        long double product = 1;
        for (int n = 2; n <= int(x); ++n)
            product *= n;
        return product;
    }
    return beyondDouble(std::tgamma(static_cast<long double>(x) + 1));
}
