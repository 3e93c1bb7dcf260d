#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "base/Sha256.h"

using velmora::Sha256;

namespace {

// Bytes that differ from block to block, so that a block processed twice or
// out of order shows.
std::string Pattern(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7 + 3) % 251);
    return data;
}

// Feeds the data in pieces of the given size.
std::string HashInPieces(const std::string& data, std::size_t piece,
                         Sha256::Implementation implementation = Sha256::Implementation::Fastest) {
    Sha256 hash(implementation);
    for (std::size_t at = 0; at < data.size(); at += piece) {
        hash.Update(data.data() + at, std::min(piece, data.size() - at));
    }
    return Sha256::Hex(hash.Finish());
}

std::string HashOf(const std::string& data) { return HashInPieces(data, std::max<std::size_t>(data.size(), 1)); }

}  // namespace

TEST(Sha256, KnownDigests) {
    EXPECT_EQ(HashOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HashOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HashOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(HashOf(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Lengths around the 64-byte block and the 56 bytes where the length stops
// fitting the last block, fed whole and in pieces that straddle blocks.
TEST(Sha256, SameDigestAtEveryBlockBoundaryHoweverTheDataIsCut) {
    const std::pair<std::size_t, const char*> expected[] = {
        {55, "1deace58c745f3ecadde68a5923f494c3703fa73f0306483ccb898a5826e8d70"},
        {63, "47fb38b12335c9298d09280515c0666489a189d1554bb0ac1a0740806ce9d8b6"},
        {64, "dfa798724b1a8014994f363e5da7474ed26ce3757fb29e07aa47ad5a9352d37b"},
        {65, "dd2eab5a5507d7717c63ce953d9ac61752c21e664425ad1227054722a0d97f69"},
        {119, "c6e0f435df5d7d265baacca31e0602c00aa22fa6d3819aed664649294c743756"},
        {128, "3a9c1e22e20578eebe442238f431befd688bd56698eb7c77d95d3f97d8f58207"},
        {1000, "a9425c416f534025a4e2422bd14adba4ec3d4a68d10c3329be8df612964d2b6e"},
    };
    for (const auto& [size, digest] : expected) {
        const std::string data = Pattern(size);
        for (const std::size_t piece : {size, std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{65}}) {
            EXPECT_EQ(HashInPieces(data, piece), digest) << size << " bytes in pieces of " << piece;
            EXPECT_EQ(HashInPieces(data, piece, Sha256::Implementation::Portable), digest)
                << size << " bytes in pieces of " << piece << ", portable";
        }
    }
}

TEST(Sha256, FinishStartsAfresh) {
    Sha256 hash;
    hash.Update("garbage", 7);
    hash.Finish();
    hash.Update("abc", 3);
    EXPECT_EQ(Sha256::Hex(hash.Finish()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}
