#include "addin/ModuleTypeInfo.h"

#include <utility>

namespace velmora {

namespace {

TypeInfoLoader& Loader() {
    static TypeInfoLoader loader;
    return loader;
}

}  // namespace

void SetTypeInfoLoader(TypeInfoLoader loader) { Loader() = std::move(loader); }

bool HasTypeInfo() { return static_cast<bool>(Loader()); }

HRESULT LoadTypeInfo(REFIID iid, ITypeInfo** typeInfo) {
    if (typeInfo == nullptr) return E_POINTER;
    *typeInfo = nullptr;
    if (!Loader()) return E_NOTIMPL;
    return Loader()(iid, typeInfo);
}

}  // namespace velmora
