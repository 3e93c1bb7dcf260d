#pragma once

#include <string>

#include "base/Exception.h"

namespace velmora {

// Every error of the settings store: unknown index, unsupported kind,
// stored value of the wrong type, value that could not be written.
class EConfigClass : public Exception {
public:
    using Exception::Exception;
};

}  // namespace velmora
