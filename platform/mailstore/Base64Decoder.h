#pragma once

#include <cstdint>
#include <string_view>

namespace mailstore {

// Base64 as mail readers decode it, fed a chunk at a time. Line breaks and
// blanks are skipped; padding ends a group, not the content: senders that
// encode in chunks pad each one, and readers go on with the next group. The
// decoder also tells whether the text was damaged, that is held anything on
// which readers part ways: characters outside the alphabet, padding where no
// group ends, a group cut short before padding or at the end.
class Base64Decoder {
public:
    // Passes each decoded byte to emit(char).
    template <class Emit>
    void Feed(std::string_view encoded, Emit&& emit);
    // Ends the text; a group left without padding gives its bytes.
    template <class Emit>
    void Finish(Emit&& emit);

    bool Damaged() const { return damaged_; }

private:
    static int Value(char c);

    std::uint32_t bits_ = 0;
    int held_ = 0;     // alphabet characters of the group under way
    int padding_ = 0;  // '=' still owed by the group that padding ended
    bool damaged_ = false;
};

inline int Base64Decoder::Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

template <class Emit>
void Base64Decoder::Feed(std::string_view encoded, Emit&& emit) {
    for (const char c : encoded) {
        if (const int value = Value(c); value >= 0) {
            if (padding_ > 0) {
                // Padding cut short: readers that take groups of four fall out of step here.
                damaged_ = true;
                padding_ = 0;
            }
            bits_ = (bits_ << 6) | static_cast<std::uint32_t>(value);
            if (++held_ == 4) {
                emit(static_cast<char>(bits_ >> 16));
                emit(static_cast<char>(bits_ >> 8));
                emit(static_cast<char>(bits_));
                held_ = 0;
                bits_ = 0;
            }
        } else if (c == '=') {
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
        } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            damaged_ = true;
        }
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
