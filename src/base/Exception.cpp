#include "base/Exception.h"

#include "base/Utf16.h"

namespace velmora {

Exception::Exception(std::u16string message) : message_(std::move(message)), utf8_(ToUtf8(message_)) {}

}  // namespace velmora
