// The random deviation of the computer player's shot.
#pragma once

class CShotNoise
{
public:
    /// p: the probability (0..1) that a shot deviates, and at the same time the deviation's scale.
    explicit CShotNoise(double p = 0.0) : m_dProbability(p) {}

    void SetProbability(double p) { m_dProbability = p; }
    double GetProbability() const { return m_dProbability; }
    /// Largest deviation: twice the ball radius over the table length, times p. Radians of aim.
    double GetShotNoiseAmplitude() const;
    /// With probability p a deviation spread evenly over [-A, A], else 0. Draws from the
    /// program's C-runtime generator (CrtRand).
    double Sample() const;

private:
    double m_dProbability;
};
