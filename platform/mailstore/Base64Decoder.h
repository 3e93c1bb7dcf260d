#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mailstore {

// Base64 as mail readers decode it, fed a chunk at a time. Line breaks and
// blanks are skipped; padding ends a group, not the content: senders that
// encode in chunks pad each one, and readers go on with the next group. The
// decoder also tells whether the text was damaged, that is held anything on
// which readers part ways: characters outside the alphabet, padding where no
// group ends, a group cut short before padding or at the end.
// Each character's value in the alphabet, or what else it is.
namespace base64_classes {

inline constexpr std::uint8_t kPadding = 0x40;
inline constexpr std::uint8_t kBlank = 0x41;
inline constexpr std::uint8_t kOther = 0x42;

constexpr std::array<std::uint8_t, 256> MakeTable() {
    std::array<std::uint8_t, 256> table{};
    table.fill(kOther);
    constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    }
    table['='] = kPadding;
    for (const char blank : {' ', '\t', '\r', '\n'}) table[static_cast<unsigned char>(blank)] = kBlank;
    return table;
}

inline constexpr std::array<std::uint8_t, 256> kTable = MakeTable();

}  // namespace base64_classes

class Base64Decoder {
public:
    // The most bytes a chunk of so many characters decodes to.
    static constexpr std::size_t DecodedBound(std::size_t encoded) { return (encoded + 3) / 4 * 3 + 3; }

    // Passes each decoded byte to emit(char).
    template <class Emit>
    void Feed(std::string_view encoded, Emit&& emit);
    // Ends the text; a group left without padding gives its bytes.
    template <class Emit>
    void Finish(Emit&& emit);

    bool Damaged() const { return damaged_; }

private:
    static constexpr std::uint8_t kPadding = base64_classes::kPadding;
    static constexpr std::uint8_t kOther = base64_classes::kOther;
    static std::uint8_t Class(char c) { return base64_classes::kTable[static_cast<unsigned char>(c)]; }

    template <class Emit>
    void Step(std::uint8_t value, Emit& emit);

    std::uint32_t bits_ = 0;
    int held_ = 0;     // alphabet characters of the group under way
    int padding_ = 0;  // '=' still owed by the group that padding ended
    bool damaged_ = false;
};

template <class Emit>
void Base64Decoder::Feed(std::string_view encoded, Emit&& emit) {
    const char* next = encoded.data();
    const char* const end = next + encoded.size();
    while (next < end) {
        // Whole groups at once while no group is under way: lines of them are most of any text.
        while (held_ == 0 && padding_ == 0 && end - next >= 4) {
            const std::uint8_t a = Class(next[0]), b = Class(next[1]), c = Class(next[2]), d = Class(next[3]);
            if (((a | b | c | d) & kPadding) != 0) break;
            const std::uint32_t bits =
                (std::uint32_t{a} << 18) | (std::uint32_t{b} << 12) | (std::uint32_t{c} << 6) | d;
            emit(static_cast<char>(bits >> 16));
            emit(static_cast<char>(bits >> 8));
            emit(static_cast<char>(bits));
            next += 4;
        }
        if (next < end) Step(Class(*next++), emit);
    }
}

template <class Emit>
void Base64Decoder::Step(std::uint8_t value, Emit& emit) {
    if (value < kPadding) {
        if (padding_ > 0) {
            // Padding cut short: readers that take groups of four fall out of step here.
            damaged_ = true;
            padding_ = 0;
        }
        bits_ = (bits_ << 6) | value;
        if (++held_ == 4) {
            emit(static_cast<char>(bits_ >> 16));
            emit(static_cast<char>(bits_ >> 8));
            emit(static_cast<char>(bits_));
            held_ = 0;
            bits_ = 0;
        }
    } else if (value == kPadding) {
        if (padding_ > 0) {
            --padding_;
        } else if (held_ >= 2) {
            emit(static_cast<char>(bits_ >> (held_ == 2 ? 4 : 10)));
            if (held_ == 3) emit(static_cast<char>(bits_ >> 2));
            padding_ = held_ == 2 ? 1 : 0;
            held_ = 0;
            bits_ = 0;
        } else {
            // Padding that ends no group; one character alone carries no byte.
            damaged_ = true;
            held_ = 0;
            bits_ = 0;
        }
    } else if (value == kOther) {
        damaged_ = true;
    }
}

template <class Emit>
void Base64Decoder::Finish(Emit&& emit) {
    if (held_ == 1) damaged_ = true;
    if (held_ >= 2) {
        emit(static_cast<char>(bits_ >> (held_ == 2 ? 4 : 10)));
        if (held_ == 3) emit(static_cast<char>(bits_ >> 2));
    }
    held_ = 0;
    bits_ = 0;
    padding_ = 0;
}

}  // namespace mailstore
