#pragma once

#include <string>

#include "base/Exception.h"
#include "com/HResult.h"

namespace host {

// A host call that failed: the host's result code and its message.
class HostError : public velmora::Exception {
public:
    HostError(HRESULT code, std::u16string message) : Exception(std::move(message)), code_(code) {}

    HRESULT Code() const noexcept { return code_; }

private:
    HRESULT code_;
};

}  // namespace host
