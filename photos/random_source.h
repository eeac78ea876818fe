#pragma once

#include <random>

namespace fotarel {

// Uniform random draws for the fitting and the refill. Tests put fixed
// draws in; the program uses a generator seeded from the clock.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniformly distributed integer in 0 .. n-1 (n >= 1).
    virtual int draw(int n) = 0;
};

class ClockRandom : public RandomSource {
public:
    ClockRandom();
    int draw(int n) override;

private:
    std::mt19937 engine_;
};

} // namespace fotarel
