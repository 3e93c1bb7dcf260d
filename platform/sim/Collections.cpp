#include "sim/Collections.h"

#include "base/Format.h"
#include "host/HostError.h"

namespace sim {

void CheckIndex(std::int32_t index, std::size_t count) {
    if (index >= 1 && static_cast<std::size_t>(index) <= count) return;
    throw host::HostError(E_INVALIDARG, velmora::Format(u"Index %d is outside the collection of %d.",
                                                        {std::int64_t{index}, static_cast<std::int64_t>(count)}));
}

}  // namespace sim
