#include "foundation/Range.h"

#include <algorithm>
#include <cmath>

double CRange::Test(double a, double b, double lo, double hi) { return Score(a, b, a < b ? b - lo : hi - b); }

double CRange::Score(double a, double b, double t)
{
    // Test hands in t = 0 when b sits on a bound; dividing would give 0/0.
    if (!(t > 0.0))
        return a == b ? 1.0 : 0.0;
    return (t - std::min(std::fabs(b - a), t)) / t;
}
