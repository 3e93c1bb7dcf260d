#include "ModuleTypeLibrary.h"

#include "win32/WideText.h"

namespace win32addin {

HRESULT LoadEmbeddedTypeInfo(const std::u16string& modulePath, REFIID iid, ITypeInfo** typeInfo) {
    if (typeInfo == nullptr) return E_POINTER;
    *typeInfo = nullptr;
    ITypeLib* library = nullptr;
    // The module's first TYPELIB resource is the one LoadTypeLibEx reads from a DLL path.
    HRESULT result = LoadTypeLibEx(win32::Wide(modulePath).c_str(), REGKIND_NONE, &library);
    if (FAILED(result)) return result;
    result = library->GetTypeInfoOfGuid(iid, typeInfo);
    library->Release();
    return result;
}

}  // namespace win32addin
