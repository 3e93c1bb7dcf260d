#pragma once

#include <optional>
#include <string>

#include "TestPlatform.h"
#include "sim/Item.h"

namespace testing_support {

// Records the item's link at index in the catalog of saved files, as the
// save that made it would have, so that the engine follows it: with the
// bytes given, else with those its file holds now.
void TrackLink(TestPlatform& platform, sim::Item& item, int index, std::optional<std::string> bytes = std::nullopt);

}  // namespace testing_support
