#pragma once

#include <functional>

#include "com/Unknown.h"

namespace velmora {

// Where the add-in's type information comes from: a module that carries its
// type library (the Windows DLL, as its resource) installs a loader that
// gives the ITypeInfo of an interface it describes; without one, objects
// describe no type (GetTypeInfoCount 0, GetTypeInfo E_NOTIMPL).
using TypeInfoLoader = std::function<HRESULT(REFIID iid, ITypeInfo** typeInfo)>;

void SetTypeInfoLoader(TypeInfoLoader loader);
bool HasTypeInfo();
// The loader's answer; E_NOTIMPL with *typeInfo cleared when none is set.
HRESULT LoadTypeInfo(REFIID iid, ITypeInfo** typeInfo);

}  // namespace velmora
