#include "addin/HostAdapter.h"

#include <utility>

namespace velmora {

namespace {

HostAdapter& Adapter() {
    static HostAdapter adapter;
    return adapter;
}

}  // namespace

void SetHostAdapter(HostAdapter adapter) { Adapter() = std::move(adapter); }

com::ComPtr<IDispatch> AdaptHostApplication(IDispatch* application) {
    if (application == nullptr || !Adapter()) return com::ComPtr<IDispatch>(application);
    return Adapter()(application);
}

}  // namespace velmora
