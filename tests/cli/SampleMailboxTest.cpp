#include <gtest/gtest.h>

#include <cstring>

#include "FileFormats.h"
#include "Payloads.h"
#include "ProgramEnvironment.h"
#include "SamplePlan.h"

namespace cli_tests {
namespace {

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint32_t Be32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

TEST(SampleFiles, Crc32IsTheStandardOne) {
    EXPECT_EQ(sample::Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(sample::Crc32(""), 0u);
}

TEST(SampleFiles, ZipMembersAreFoundThroughTheCentralDirectory) {
    const std::string zip = sample::ZipArchive({{"a.txt", "hello"}, {"dir/Zürich.bin", std::string(70000, 'x')}});
    const std::size_t end = zip.size() - 22;
    ASSERT_EQ(Le32(zip, end), 0x06054B50u);
    EXPECT_EQ(Le32(zip, end + 16) + Le32(zip, end + 12), end);  // directory offset + size
    std::size_t entry = Le32(zip, end + 16);
    for (const auto& [name, data] : {std::pair<std::string, std::string>{"a.txt", "hello"},
                                     {"dir/Zürich.bin", std::string(70000, 'x')}}) {
        ASSERT_EQ(Le32(zip, entry), 0x02014B50u);
        EXPECT_EQ(Le32(zip, entry + 16), sample::Crc32(data));
        const std::size_t local = Le32(zip, entry + 42);
        ASSERT_EQ(Le32(zip, local), 0x04034B50u);
        const std::size_t nameSize = static_cast<unsigned char>(zip[local + 26]) |
                                     (static_cast<unsigned char>(zip[local + 27]) << 8);
        EXPECT_EQ(zip.substr(local + 30, nameSize), name);
        EXPECT_EQ(zip.substr(local + 30 + nameSize, data.size()), data);
        entry += 46 + nameSize;
    }
}

TEST(SampleFiles, PngChunksCarryTheirChecksums) {
    sample::Random random(3);
    const std::string png = sample::PngImage(300, 250, random);  // more than one stored deflate block
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    std::size_t at = 8;
    std::vector<std::string> types;
    while (at < png.size()) {
        const std::uint32_t length = Be32(png, at);
        types.push_back(png.substr(at + 4, 4));
        EXPECT_EQ(Be32(png, at + 8 + length), sample::Crc32(png.substr(at + 4, 4 + length))) << types.back();
        at += 12 + length;
    }
    EXPECT_EQ(at, png.size());
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_GT(png.size(), 250u * (1 + 3 * 300));
}

TEST(SampleFiles, SizesAreAboutWhatWasAskedFor) {
    for (const auto kind : {sample::FileKind::Pdf, sample::FileKind::Docx, sample::FileKind::Xlsx,
                            sample::FileKind::Png, sample::FileKind::Jpg, sample::FileKind::Zip, sample::FileKind::Csv,
                            sample::FileKind::Txt, sample::FileKind::Ics}) {
        for (const std::size_t size : {std::size_t{30000}, std::size_t{700000}}) {
            const std::string file = sample::MakeFile(kind, size, 9);
            EXPECT_GT(file.size(), size * 9 / 10) << sample::ExtensionOf(kind) << " " << size;
            EXPECT_LT(file.size(), size * 11 / 10 + 2000) << sample::ExtensionOf(kind) << " " << size;
            EXPECT_EQ(file, sample::MakeFile(kind, size, 9));
            EXPECT_NE(file, sample::MakeFile(kind, size, 10));
        }
    }
    const std::string jpeg = sample::MakeFile(sample::FileKind::Jpg, 200000, 1);
    EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(jpeg.substr(jpeg.size() - 2), "\xFF\xD9");
    const std::string pdf = sample::MakeFile(sample::FileKind::Pdf, 5000, 1);
    const std::size_t startxref = pdf.rfind("startxref\n");
    const std::size_t xref = std::stoul(pdf.substr(startxref + 10));
    EXPECT_EQ(pdf.substr(xref, 4), "xref");
    const std::size_t firstObject = std::stoul(pdf.substr(pdf.find("0000000000 65535 f \n") + 20, 10));
    EXPECT_EQ(pdf.substr(firstObject, 7), "1 0 obj");
}

TEST(SamplePlan, FixedCasesComeFirstAndSizesAddUpToTheTotal) {
    sample::PlanOptions options;
    options.messages = 400;
    options.totalBytes = 30ULL << 20;
    options.withLinks = true;
    const auto plan = sample::MakePlan(options);
    ASSERT_EQ(plan.size(), 400u);
    EXPECT_EQ(plan[0].subject, "Unicode attachment names");
    std::uint64_t total = 0;
    std::size_t links = 0, calendar = 0;
    for (const auto& message : plan) {
        for (const auto& attachment : message.attachments) total += attachment.size;
        links += message.links.size();
        calendar += message.item != sample::ItemStyle::Mail ? 1 : 0;
    }
    EXPECT_NEAR(static_cast<double>(total), static_cast<double>(options.totalBytes), 0.03 * options.totalBytes);
    EXPECT_EQ(links, 2u);
    EXPECT_EQ(calendar, 4u);  // appointment, meeting request, task, contact

    options.withLinks = false;
    options.messages = 5;
    const auto fixedOnly = sample::MakePlan(options);
    EXPECT_GT(fixedOnly.size(), 5u);
    for (const auto& message : fixedOnly) EXPECT_TRUE(message.links.empty());
}

TEST(SampleMailbox, TheSameOptionsWriteTheSameBytes) {
    ProgramEnvironment environment;
    const fs::path first = environment.GenerateMailbox("first", 40, 1, environment.Dir() / "links");
    const fs::path second = environment.GenerateMailbox("second", 40, 1, environment.Dir() / "links");
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(first)) {
        if (!entry.is_regular_file()) continue;
        ++files;
        EXPECT_EQ(FileFingerprint(entry.path()), FileFingerprint(second / fs::relative(entry.path(), first)))
            << entry.path();
        EXPECT_EQ(fs::last_write_time(entry.path()),
                  fs::last_write_time(second / fs::relative(entry.path(), first)));
    }
    EXPECT_EQ(files, 40u);
    EXPECT_EQ(CountFiles(second), 40u);
    EXPECT_EQ(CountFiles(environment.Dir() / "links"), 1u);
}

}  // namespace
}  // namespace cli_tests
