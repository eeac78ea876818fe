#include "photos/random_source.h"

#include <chrono>

namespace fotarel {

ClockRandom::ClockRandom()
    : engine_(static_cast<std::mt19937::result_type>(
          std::chrono::high_resolution_clock::now().time_since_epoch().count()))
{
}

int ClockRandom::draw(int n)
{
    if (n <= 1)
        return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(engine_);
}

} // namespace fotarel
