#pragma once

#include <string>

#include "com/Unknown.h"

namespace win32addin {

// The ITypeInfo of an interface described by the type library embedded in
// the module file (resource TYPELIB 1), loaded without registering it.
HRESULT LoadEmbeddedTypeInfo(const std::u16string& modulePath, REFIID iid, ITypeInfo** typeInfo);

}  // namespace win32addin
