#pragma once

#include "com/Unknown.h"

namespace com {

// Which IID belongs to an interface type. Interfaces that are only ever
// handed out typed, never queried, have none.
template <class T>
struct InterfaceId;

template <class T>
concept HasInterfaceId = requires { InterfaceId<T>::Get(); };

template <class T>
const IID& IidOf() {
    return InterfaceId<T>::Get();
}

}  // namespace com

#define VELMORA_INTERFACE_ID(Interface, iid)          \
    template <>                                       \
    struct com::InterfaceId<Interface> {              \
        static const IID& Get() { return iid; }       \
    }

VELMORA_INTERFACE_ID(IUnknown, IID_IUnknown);
VELMORA_INTERFACE_ID(IDispatch, IID_IDispatch);
