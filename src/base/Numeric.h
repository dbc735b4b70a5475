#pragma once
// The arithmetic rules every computation of the program follows: a real result becomes an
// integer by rounding halves to the even neighbour, integer division truncates toward zero,
// and a value that does not fit its integer type is a failure, never a wrap-around.

#include <cmath>
#include <concepts>
#include <cstdint>
#include <limits>
#include <utility>

namespace rebar {

// Round to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// The result stays a double so that callers can range-check before narrowing.
inline double roundHalfEven(double x) {
    // Adding and removing 1.5 * 2^52 makes the FPU round in its default mode, which is
    // round-half-to-even; this is exact for every |x| below 2^51 and much faster than rint().
    constexpr double magic = 6755399441055744.0;
    if (x > -2251799813685248.0 && x < 2251799813685248.0) {
        const double t = x + magic; // not folded: the build never enables fast-math
        return t - magic;
    }
    return std::nearbyint(x);
}

// roundHalfEven without the range branch, for loops over many samples that must vectorise:
// exact only for |x| below 2^51, which the caller has made sure of beforehand (for example by
// checking the extreme results of the loop with roundTo).
inline double roundHalfEvenInRange(double x) {
    constexpr double magic = 6755399441055744.0;
    const double t = x + magic;
    return t - magic;
}

// True when v lies inside the range of the integer type To.
template <std::integral To, typename From> constexpr bool fitsIn(From v) {
    if constexpr (std::is_floating_point_v<From>) {
        return v >= static_cast<From>(std::numeric_limits<To>::min()) &&
               v <= static_cast<From>(std::numeric_limits<To>::max());
    } else {
        return std::in_range<To>(v);
    }
}

// Checked narrowing: stores v in out and returns true when it fits, else leaves out alone
// and returns false.
template <std::integral To, typename From> constexpr bool narrow(From v, To& out) {
    if (!fitsIn<To>(v))
        return false;
    out = static_cast<To>(v);
    return true;
}

// Rounds x (halves to even) and narrows it; false when x is not finite or does not fit.
template <std::integral To> inline bool roundTo(double x, To& out) {
    if (!std::isfinite(x))
        return false;
    return narrow(roundHalfEven(x), out);
}

// Integer division truncating toward zero (the language's own rule, named for clarity where
// the program's rules call for "div").
template <std::integral T> constexpr T truncDiv(T a, T b) {
    return a / b;
}

// Sum of two values that must fit the type T (16- or 32-bit sample arithmetic).
template <std::integral T> constexpr bool checkedAdd(T a, T b, T& out) {
    return narrow(static_cast<std::int64_t>(a) + static_cast<std::int64_t>(b), out);
}

} // namespace rebar
