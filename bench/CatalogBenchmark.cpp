// The catalog of saved files recorded as a save run records it: 10,000 files
// in transactions of 64, each preceded by a look for an identical file in the
// target folder and for an entry with the same path. Arguments: whether the
// commits are durable, and how many entries earlier runs left in the catalog.
// The catalog is a file in the system's temporary folder:
//   build/bench/catalog_benchmark

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "catalog/SqliteCatalogStore.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 10000;
constexpr int kBatch = 64;

std::u16string Utf16(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

// 64 hexadecimal digits that differ for every number.
std::string HashOf(std::uint64_t number) {
    std::string hash;
    std::uint64_t state = number * 0x9E3779B97F4A7C15ULL + 1;
    for (int part = 0; part < 4; ++part) {
        state ^= state >> 29;
        state *= 0xBF58476D1CE4E5B9ULL;
        char digits[17];
        std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(state));
        hash += digits;
    }
    return hash;
}

host::CatalogEntry SavedFile(int number) {
    const std::string name = "Quarterly report " + std::to_string(number) + ".pdf";
    const std::string folder = "attachments\\2026\\inbox-" + std::to_string(number % 40);
    host::CatalogEntry entry;
    entry.Path = Utf16("Z:\\home\\me\\" + folder + "\\" + name);
    entry.PathKey = Utf16("z:\\home\\me\\" + folder + "\\quarterly report " + std::to_string(number) + ".pdf");
    entry.DirectoryKey = Utf16("z:\\home\\me\\" + folder);
    entry.Size = 50000 + static_cast<std::uint64_t>(number) * 37;
    entry.Sha256 = HashOf(static_cast<std::uint64_t>(number));
    entry.Device = 2049;
    entry.FileId = 1000000 + static_cast<std::uint64_t>(number);
    entry.LastWriteTime = 133500000000000000ULL + static_cast<std::uint64_t>(number);
    entry.SavedAt = 46000.5;
    entry.Reference = host::CatalogReference::Link;
    entry.ItemId = Utf16("00000000A1B2C3D4E5F60718293A4B5C6D7E8F90" + std::to_string(number / 3));
    entry.LinkId = Utf16("{velmora-link-" + std::to_string(number) + "}");
    entry.Subject = Utf16("Re: figures for the meeting, part " + std::to_string(number));
    entry.OriginalName = Utf16(name);
    entry.PartProperties = Utf16("content-type=application/pdf;disposition=attachment;cid=<part" +
                                 std::to_string(number) + "@example.org>;place=2");
    return entry;
}

// A folder of its own under the system's temporary folder, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        do {
            path_ = fs::temp_directory_path() / ("velmora-catalog-benchmark-" + std::to_string(random()));
        } while (!fs::create_directory(path_));
    }
    ~ScratchFolder() { fs::remove_all(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

void Record(catalog::SqliteCatalogStore& store, int first, int count, bool durable) {
    for (int number = first; number < first + count; ++number) {
        if (!store.InTransaction()) store.Begin();
        const auto entry = SavedFile(number);
        benchmark::DoNotOptimize(store.FindByHash(entry.Sha256, entry.DirectoryKey));
        benchmark::DoNotOptimize(store.FindByPath(entry.PathKey));
        store.Add(entry);
        if ((number - first + 1) % kBatch == 0) store.Commit(durable);
    }
    if (store.InTransaction()) store.Commit(durable);
}

void SaveRun(benchmark::State& state) {
    const bool durable = state.range(0) != 0;
    const int earlier = static_cast<int>(state.range(1));
    ScratchFolder scratch;
    const auto earlierRuns = scratch.Path() / "earlier.db";
    const auto file = scratch.Path() / "catalog.db";
    {
        catalog::SqliteCatalogStore store(earlierRuns);
        Record(store, kEntries, earlier, false);
    }
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(earlierRuns, file, fs::copy_options::overwrite_existing);
        state.ResumeTiming();
        catalog::SqliteCatalogStore store(file);
        Record(store, 0, kEntries, durable);
    }
    state.counters["per_entry"] =
        benchmark::Counter(kEntries, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(SaveRun)
    ->ArgNames({"durable", "earlier"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 100000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
