#include "win32/outlook/MapiLinks.h"

#include <windows.h>
#include <mapidefs.h>
#include <mapicode.h>
#include <mapitags.h>

#include <vector>

#include "host/HostError.h"
#include "win32/WideText.h"

namespace win32 {

namespace {

constexpr IID kIMessage = {0x00020307, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

template <class T>
struct Released {
    T* object = nullptr;
    ~Released() {
        if (object != nullptr) object->Release();
    }
};

void Check(HRESULT result, const char16_t* what) {
    if (FAILED(result)) throw host::HostError(result, what);
}

std::wstring FileNameOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

}  // namespace

com::ComPtr<IDispatch> AddLinkThroughMapi(LateBound& attachments, const std::u16string& path, std::int32_t position,
                                          const std::u16string& displayName) {
    LateBound item(attachments.Get(u"Parent").AsObject());
    com::ComPtr<IUnknown> mapiObject = item.Get(u"MAPIOBJECT").AsUnknown();
    if (!mapiObject) throw host::HostError(E_NOINTERFACE, u"The item has no MAPI message to add a link to");
    Released<IMessage> message;
    Check(mapiObject->QueryInterface(kIMessage, reinterpret_cast<void**>(&message.object)),
          u"The item's MAPI object is no message");

    ULONG number = 0;
    Released<IAttach> attach;
    Check(message.object->CreateAttach(nullptr, 0, &number, &attach.object), u"MAPI refused a new attachment");
    std::wstring widePath = Wide(path);
    std::wstring wideName = Wide(displayName);
    std::wstring fileName = FileNameOf(widePath);
    std::vector<SPropValue> properties(6);
    properties[0].ulPropTag = PR_ATTACH_METHOD;
    properties[0].Value.l = ATTACH_BY_REFERENCE;
    properties[1].ulPropTag = PR_ATTACH_LONG_PATHNAME_W;
    properties[1].Value.lpszW = widePath.data();
    properties[2].ulPropTag = PR_ATTACH_PATHNAME_W;
    properties[2].Value.lpszW = widePath.data();
    properties[3].ulPropTag = PR_DISPLAY_NAME_W;
    properties[3].Value.lpszW = wideName.data();
    properties[4].ulPropTag = PR_ATTACH_LONG_FILENAME_W;
    properties[4].Value.lpszW = fileName.data();
    properties[5].ulPropTag = PR_RENDERING_POSITION;
    properties[5].Value.l = position > 0 ? position : -1;
    Check(attach.object->SetProps(static_cast<ULONG>(properties.size()), properties.data(), nullptr),
          u"MAPI refused the link's properties");
    Check(attach.object->SaveChanges(KEEP_OPEN_READWRITE), u"MAPI could not save the link");
    Check(message.object->SaveChanges(KEEP_OPEN_READWRITE), u"MAPI could not save the item with its link");

    const std::int32_t count = attachments.Get(u"Count").AsInt();
    return attachments.Call(u"Item", {LateValue::Int(count)}).AsObject();
}

}  // namespace win32
