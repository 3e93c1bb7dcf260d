#pragma once

#include <cstddef>
#include <cstdint>

namespace mailstore {

// The 0-based position of a host collection's 1-based index; throws
// host::HostError unless index lies in 1..count.
std::size_t CheckedIndex(std::int32_t index, std::size_t count);

}  // namespace mailstore
