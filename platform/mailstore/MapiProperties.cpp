#include "mailstore/MapiProperties.h"

#include <utility>

#include "mailstore/AttachmentObjects.h"

namespace mailstore {

MapiProperties::MapiProperties(com::ComPtr<AttachmentObject> owner) : owner_(std::move(owner)) {}

std::optional<LONG> MapiProperties::AttachSize() { return owner_->SizeProperty(); }
std::optional<LONG> MapiProperties::AttachFlags() { return owner_->FlagsProperty(); }

}  // namespace mailstore
