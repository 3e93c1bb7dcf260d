#include "MapiProvider.h"

#include <atomic>
#include <cstdlib>
#include <type_traits>

#include "com/HResult.h"

static_assert(std::is_same_v<decltype(&MAPIInitialize), LPMAPIINITIALIZE>);
static_assert(std::is_same_v<decltype(&MAPIUninitialize), LPMAPIUNINITIALIZE>);
static_assert(std::is_same_v<decltype(&MAPIAllocateBuffer), LPMAPIALLOCATEBUFFER>);
static_assert(std::is_same_v<decltype(&MAPIFreeBuffer), LPMAPIFREEBUFFER>);

namespace {

std::atomic<ULONG> initCount{0};

}  // namespace

HRESULT STDMETHODCALLTYPE MAPIInitialize(LPVOID) {
    ++initCount;
    return S_OK;
}

void STDMETHODCALLTYPE MAPIUninitialize() {
    ULONG current = initCount.load();
    while (current > 0 && !initCount.compare_exchange_weak(current, current - 1)) {
    }
}

SCODE STDMETHODCALLTYPE MAPIAllocateBuffer(ULONG size, LPVOID* buffer) {
    if (buffer == nullptr) return E_INVALIDARG;
    *buffer = std::malloc(size == 0 ? 1 : size);
    return *buffer == nullptr ? E_OUTOFMEMORY : S_OK;
}

ULONG STDMETHODCALLTYPE MAPIFreeBuffer(LPVOID buffer) {
    std::free(buffer);
    return 0;
}

ULONG VelmoraMapiInitCount() { return initCount.load(); }
