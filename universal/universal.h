#pragma once
// libuniversal: the factorial routine the calculator links at load time.
//
// Errors come back in the value, as with the C library's tgamma: the call has
// no room for a status, and an exception must not cross a C interface.

#ifdef __cplusplus
extern "C" {
#endif

// x! for a whole number x, exact while a double can hold it; Γ(x + 1) for any
// other x. Returns +inf (or -inf) when the result lies beyond the range of a
// double, and NaN where the factorial has no value: a negative whole number,
// -inf or a NaN.
__attribute__((visibility("default"))) long double Fact(double x);

#ifdef __cplusplus
}
#endif
