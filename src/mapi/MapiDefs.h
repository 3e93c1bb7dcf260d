#pragma once

// The Extended MAPI structures and interfaces the add-in uses, with the
// layouts and vtable order of the MAPI headers.

#include "com/Unknown.h"

#pragma pack(push, 8)

struct MAPIINIT_0 {
    ULONG ulVersion;
    ULONG ulFlags;
};
using LPMAPIINIT_0 = MAPIINIT_0*;

struct SPropTagArray {
    ULONG cValues;
    ULONG aulPropTag[1];
};
using LPSPropTagArray = SPropTagArray*;

struct SBinary {
    ULONG cb;
    BYTE* lpb;
};

struct MapiFileTime {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

union PV {
    SHORT i;
    LONG l;
    ULONG ul;
    float flt;
    double dbl;
    unsigned short b;
    double at;
    char* lpszA;
    OLECHAR* lpszW;
    SBinary bin;
    MapiFileTime ft;
    LONGLONG li;
    SCODE err;
    LONG x;
};

struct SPropValue {
    ULONG ulPropTag;
    ULONG dwAlignPad;
    PV Value;
};
using LPSPropValue = SPropValue*;

struct MAPIERROR;
using LPMAPIERROR = MAPIERROR*;
struct IMAPIProgress;
struct SPropProblemArray;
struct MAPINAMEID;
struct IMAPIPropData;

// The property interface of every MAPI object; only GetProps is called.
struct IMAPIProp : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetLastError(HRESULT result, ULONG flags, LPMAPIERROR* error) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveChanges(ULONG flags) = 0;
    // Fills *values with count entries, allocated with MAPIAllocateBuffer;
    // S_OK when every property was found, MAPI_W_ERRORS_RETURNED when some
    // came back as PT_ERROR.
    virtual HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count,
                                               LPSPropValue* values) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropList(ULONG flags, LPSPropTagArray* tags) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenProperty(ULONG tag, const IID* iid, ULONG interfaceOptions, ULONG flags,
                                                   IUnknown** object) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProps(ULONG count, LPSPropValue values, SPropProblemArray** problems) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteProps(LPSPropTagArray tags, SPropProblemArray** problems) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyTo(ULONG excludeCount, const IID* excludeIids, LPSPropTagArray excludeTags,
                                             ULONG uiParam, IMAPIProgress* progress, const IID* interfaceId,
                                             void* destination, ULONG flags, SPropProblemArray** problems) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyProps(LPSPropTagArray includeTags, ULONG uiParam, IMAPIProgress* progress,
                                                const IID* interfaceId, void* destination, ULONG flags,
                                                SPropProblemArray** problems) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNamesFromIDs(LPSPropTagArray* tags, const GUID* propSet, ULONG flags,
                                                      ULONG* count, MAPINAMEID*** names) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG count, MAPINAMEID** names, ULONG flags,
                                                      LPSPropTagArray* tags) = 0;
};

struct IAttachment : IMAPIProp {};

// Entry points of the MAPI library.
using LPMAPIINITIALIZE = HRESULT(STDMETHODCALLTYPE*)(LPVOID init);
using LPMAPIUNINITIALIZE = void(STDMETHODCALLTYPE*)();
using LPMAPIALLOCATEBUFFER = SCODE(STDMETHODCALLTYPE*)(ULONG size, LPVOID* buffer);
using LPMAPIFREEBUFFER = ULONG(STDMETHODCALLTYPE*)(LPVOID buffer);

#pragma pack(pop)
