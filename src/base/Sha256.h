#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora {

// SHA-256 over data given in pieces of any size.
class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;
    // Portable: plain C++ even where the processor has SHA instructions.
    enum class Implementation { Fastest, Portable };

    explicit Sha256(Implementation implementation = Implementation::Fastest);
    void Update(const void* data, std::size_t size);
    // The digest of everything given; the object then starts afresh.
    Digest Finish();

    // 64 lower-case hexadecimal digits.
    static std::string Hex(const Digest& digest);

private:
    void Reset();
    void Compress(const std::uint8_t* data, std::size_t blocks);

    bool portable_;

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> block_;
    std::size_t filled_ = 0;
    std::uint64_t length_ = 0;
};

}  // namespace velmora
