#include "base/Sha256.h"

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>
#define VELMORA_SHA_EXTENSIONS 1
#endif

namespace velmora {

namespace {

constexpr std::uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::uint32_t RotateRight(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void CompressPortable(std::uint32_t* state, const std::uint8_t* data, std::size_t blocks) {
    for (; blocks > 0; --blocks, data += 64) {
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i) w[i] = BigEndian32(data + 4 * i);
        for (int i = 16; i < 64; ++i) {
            const std::uint32_t s0 = RotateRight(w[i - 15], 7) ^ RotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const std::uint32_t s1 = RotateRight(w[i - 2], 17) ^ RotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
        std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t s1 = RotateRight(e, 6) ^ RotateRight(e, 11) ^ RotateRight(e, 25);
            const std::uint32_t choice = (e & f) ^ (~e & g);
            const std::uint32_t t1 = h + s1 + choice + kRoundConstants[i] + w[i];
            const std::uint32_t s0 = RotateRight(a, 2) ^ RotateRight(a, 13) ^ RotateRight(a, 22);
            const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
            const std::uint32_t t2 = s0 + majority;
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#ifdef VELMORA_SHA_EXTENSIONS

// The processor's SHA instructions: four rounds per sha256rnds2 pair, the
// message schedule with sha256msg1/msg2. State is kept as ABEF and CDGH.
__attribute__((target("sha,sse4.1"))) void CompressWithShaExtensions(std::uint32_t* state, const std::uint8_t* data,
                                                                      std::size_t blocks) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
    __m128i state1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
    tmp = _mm_shuffle_epi32(tmp, 0xB1);          // CDAB
    state1 = _mm_shuffle_epi32(state1, 0x1B);    // EFGH
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);  // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);       // CDGH

    for (; blocks > 0; --blocks, data += 64) {
        const __m128i savedAbef = state0;
        const __m128i savedCdgh = state1;
        __m128i messages[4];
        for (int i = 0; i < 4; ++i) {
            messages[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
        }
        for (int group = 0; group < 16; ++group) {
            const __m128i current = messages[group % 4];
            const __m128i constants =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kRoundConstants[4 * group]));
            __m128i sum = _mm_add_epi32(current, constants);
            state1 = _mm_sha256rnds2_epu32(state1, state0, sum);
            sum = _mm_shuffle_epi32(sum, 0x0E);
            state0 = _mm_sha256rnds2_epu32(state0, state1, sum);
            if (group >= 3 && group <= 14) {
                // The next group's words, from the half schedule its slot holds,
                // the words seven back and this group.
                __m128i& next = messages[(group + 1) % 4];
                next = _mm_add_epi32(next, _mm_alignr_epi8(current, messages[(group + 3) % 4], 4));
                next = _mm_sha256msg2_epu32(next, current);
            }
            if (group >= 1 && group <= 12) {
                // The first half of the schedule of the group three on, in the slot of the one before.
                __m128i& earlier = messages[(group + 3) % 4];
                earlier = _mm_sha256msg1_epu32(earlier, current);
            }
        }
        state0 = _mm_add_epi32(state0, savedAbef);
        state1 = _mm_add_epi32(state1, savedCdgh);
    }

    tmp = _mm_shuffle_epi32(state0, 0x1B);       // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1);    // DCHG
    state0 = _mm_blend_epi16(tmp, state1, 0xF0); // DCBA
    state1 = _mm_alignr_epi8(state1, tmp, 8);    // HGFE
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), state1);
}

bool HasShaExtensions() {
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid_max(0, nullptr) < 7) return false;
    __cpuid_count(7, 0, eax, ebx, ecx, edx);
    const bool sha = (ebx & (1u << 29)) != 0;
    __cpuid(1, eax, ebx, ecx, edx);
    const bool sse41 = (ecx & (1u << 19)) != 0;
    return sha && sse41;
}

#endif

using CompressFunction = void (*)(std::uint32_t*, const std::uint8_t*, std::size_t);

CompressFunction ChooseCompress() {
#ifdef VELMORA_SHA_EXTENSIONS
    if (HasShaExtensions()) return CompressWithShaExtensions;
#endif
    return CompressPortable;
}

CompressFunction Fastest() {
    static const CompressFunction chosen = ChooseCompress();
    return chosen;
}

}  // namespace

Sha256::Sha256(Implementation implementation) : portable_(implementation == Implementation::Portable) { Reset(); }

void Sha256::Compress(const std::uint8_t* data, std::size_t blocks) {
    (portable_ ? CompressPortable : Fastest())(state_.data(), data, blocks);
}

void Sha256::Reset() {
    state_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    filled_ = 0;
    length_ = 0;
}

void Sha256::Update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    length_ += size;
    if (filled_ > 0) {
        const std::size_t take = std::min(size, block_.size() - filled_);
        std::memcpy(block_.data() + filled_, bytes, take);
        filled_ += take;
        bytes += take;
        size -= take;
        if (filled_ < block_.size()) return;
        Compress(block_.data(), 1);
        filled_ = 0;
    }
    if (const std::size_t blocks = size / 64) {
        Compress(bytes, blocks);
        bytes += blocks * 64;
        size -= blocks * 64;
    }
    std::memcpy(block_.data(), bytes, size);
    filled_ = size;
}

Sha256::Digest Sha256::Finish() {
    const std::uint64_t bits = length_ * 8;
    std::uint8_t padding[72] = {0x80};
    const std::size_t padLength = (filled_ < 56 ? 56 : 120) - filled_;
    for (int i = 0; i < 8; ++i) padding[padLength + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    Update(padding, padLength + 8);
    Digest digest{};
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 4; ++j) digest[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * j));
    }
    Reset();
    return digest;
}

std::string Sha256::Hex(const Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(64);
    for (const std::uint8_t byte : digest) {
        hex.push_back(kDigits[byte >> 4]);
        hex.push_back(kDigits[byte & 0xF]);
    }
    return hex;
}

}  // namespace velmora
