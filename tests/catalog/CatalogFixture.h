#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "TempDirectory.h"
#include "catalog/SqliteCatalogStore.h"
#include "host/HostError.h"

namespace catalog_tests {

// A catalog file in a fresh directory.
class CatalogTest : public ::testing::Test {
protected:
    testing_support::TempDirectory temp;
    std::filesystem::path file = temp.Path() / "catalog.db";
    std::u16string fileName = file.u16string();
};

// A linked file named after name: every text field differs between names.
host::CatalogEntry SampleEntry(std::u16string_view name);

void ExpectSameEntry(const host::CatalogEntry& actual, const host::CatalogEntry& expected);
std::vector<std::int64_t> IdsOf(const std::vector<host::CatalogEntry>& entries);
std::vector<host::CatalogEntry> AllEntries(host::CatalogStore& store);

// The host error that action throws; a failure of the test when it throws none.
host::HostError CaughtHostError(const std::function<void()>& action);
inline HRESULT Win32(LONG code) { return HRESULT_FROM_WIN32(code); }

// The message of a catalog that cannot be used as it is.
std::u16string DamagedMessage(std::u16string_view fileName, std::u16string_view reason);

// SQL run on a file directly, past the store.
void ExecuteOnFile(const std::filesystem::path& file, const char* sql);
std::int64_t UserVersionOf(const std::filesystem::path& file);

}  // namespace catalog_tests
