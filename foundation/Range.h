// A linear closeness score over doubles; the shot planner's path-blocking tests derive from it.
#pragma once

class CRange
{
public:
    explicit CRange(double dParam) : m_dParam(dParam) {}
    virtual ~CRange() = default;

    /// The value a derived test has stored; the base class leaves it at 0.
    virtual double GetValue() { return m_dValue; }
    /// Score(a, b, t) with t = b - lo when a is below b, else t = hi - b.
    virtual double Test(double a, double b, double lo, double hi);
    /// (t - min(|b - a|, t)) / t: 1 when a equals b, falling linearly to 0 at distance t and
    /// beyond. A window t <= 0 has no width to fall over: 1 when a equals b, else 0.
    virtual double Score(double a, double b, double t);

protected:
    double m_dParam;
    double m_dValue = 0.0;
};
