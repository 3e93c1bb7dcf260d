#pragma once

#include <string>

#include "host/Registry.h"

namespace testing_support {

// The project's MAPI provider library as built with the tests.
std::string MapiProviderPath();

// Registers the provider in the machine hive as a mail client's installer
// does, so that the MAPI loader finds, loads and initialises it.
void InstallMapiProvider(host::Registry& registry);

}  // namespace testing_support
