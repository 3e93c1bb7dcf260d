#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sample {

// A small pseudo-random generator (splitmix64) of our own, so that the same
// seed gives the same mailbox with every compiler and library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 <= result < bound (bound > 0).
    std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }
    // 0 <= result < 1.
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    bool Chance(double probability) { return Unit() < probability; }
    // Spread evenly over the logarithm: as many sizes of tens of bytes as of megabytes.
    double LogUniform(double low, double high) { return low * std::pow(high / low, Unit()); }

    template <class T>
    const T& Pick(const std::vector<T>& choices) {
        return choices[Below(choices.size())];
    }

    // A derived generator for one purpose, so that adding draws elsewhere changes nothing here.
    Random Fork() { return Random(Next()); }

    void FillBytes(std::string& out, std::size_t count) {
        while (count > 0) {
            std::uint64_t word = Next();
            for (int i = 0; i < 8 && count > 0; ++i, --count) {
                out.push_back(static_cast<char>(word & 0xFF));
                word >>= 8;
            }
        }
    }

private:
    std::uint64_t state_;
};

}  // namespace sample
