#include "mailstore/CollectionIndex.h"

#include "base/Format.h"
#include "host/HostError.h"

namespace mailstore {

std::size_t CheckedIndex(std::int32_t index, std::size_t count) {
    if (index >= 1 && static_cast<std::size_t>(index) <= count) return static_cast<std::size_t>(index) - 1;
    throw host::HostError(E_INVALIDARG, velmora::Format(u"Index %d is outside the collection of %d.",
                                                        {std::int64_t{index}, static_cast<std::int64_t>(count)}));
}

}  // namespace mailstore
