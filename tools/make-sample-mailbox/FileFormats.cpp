#include "FileFormats.h"

#include <array>
#include <cstdio>

namespace sample {

namespace {

void PutLe16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutLe32(std::string& out, std::uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

void PutBe16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

void PutBe32(std::string& out, std::uint32_t value) {
    PutBe16(out, value >> 16);
    PutBe16(out, value & 0xFFFF);
}

std::uint32_t Adler32(std::string_view data) {
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : data) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

bool IsAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

// 2023-03-01 12:00:00 in the MS-DOS form ZIP uses.
constexpr std::uint32_t kDosTime = (12 << 11);
constexpr std::uint32_t kDosDate = ((2023 - 1980) << 9) | (3 << 5) | 1;

void PngChunk(std::string& out, std::string_view type, std::string_view data) {
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    std::string body(type);
    body.append(data);
    out.append(body);
    PutBe32(out, Crc32(body));
}

// A zlib stream of stored deflate blocks.
std::string StoredZlib(std::string_view data) {
    std::string out("\x78\x01", 2);
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min<std::size_t>(data.size() - offset, 65535);
        const bool last = offset + length == data.size();
        out.push_back(last ? 1 : 0);
        PutLe16(out, static_cast<std::uint32_t>(length));
        PutLe16(out, static_cast<std::uint32_t>(~length & 0xFFFF));
        out.append(data.substr(offset, length));
        offset += length;
    } while (offset < data.size());
    PutBe32(out, Adler32(data));
    return out;
}

void JpegSegment(std::string& out, unsigned char marker, std::string_view payload) {
    out.push_back(static_cast<char>(0xFF));
    out.push_back(static_cast<char>(marker));
    PutBe16(out, static_cast<std::uint32_t>(payload.size() + 2));
    out.append(payload);
}

// One Huffman table with a single code of length 1 for one symbol.
std::string SingleCodeTable(unsigned char tableClass, unsigned char symbol) {
    std::string table(1, static_cast<char>(tableClass << 4));
    table.push_back(1);
    table.append(15, '\0');
    table.push_back(static_cast<char>(symbol));
    return table;
}

}  // namespace

std::uint32_t Crc32(std::string_view data) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFU;
    for (unsigned char c : data) crc = table[(crc ^ c) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFU;
}

std::string ZipArchive(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string out;
    std::string directory;
    for (const auto& [name, data] : members) {
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc = Crc32(data);
        const std::uint32_t flags = IsAscii(name) ? 0 : 0x0800;  // bit 11: the name is UTF-8
        const auto size = static_cast<std::uint32_t>(data.size());
        const auto nameSize = static_cast<std::uint32_t>(name.size());

        PutLe32(out, 0x04034B50);
        PutLe16(out, 20);
        PutLe16(out, flags);
        PutLe16(out, 0);  // stored
        PutLe16(out, kDosTime);
        PutLe16(out, kDosDate);
        PutLe32(out, crc);
        PutLe32(out, size);
        PutLe32(out, size);
        PutLe16(out, nameSize);
        PutLe16(out, 0);
        out.append(name);
        out.append(data);

        PutLe32(directory, 0x02014B50);
        PutLe16(directory, 20);
        PutLe16(directory, 20);
        PutLe16(directory, flags);
        PutLe16(directory, 0);
        PutLe16(directory, kDosTime);
        PutLe16(directory, kDosDate);
        PutLe32(directory, crc);
        PutLe32(directory, size);
        PutLe32(directory, size);
        PutLe16(directory, nameSize);
        PutLe16(directory, 0);
        PutLe16(directory, 0);
        PutLe16(directory, 0);
        PutLe16(directory, 0);
        PutLe32(directory, 0);
        PutLe32(directory, offset);
        directory.append(name);
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out.append(directory);
    PutLe32(out, 0x06054B50);
    PutLe16(out, 0);
    PutLe16(out, 0);
    PutLe16(out, static_cast<std::uint32_t>(members.size()));
    PutLe16(out, static_cast<std::uint32_t>(members.size()));
    PutLe32(out, static_cast<std::uint32_t>(directory.size()));
    PutLe32(out, directoryOffset);
    PutLe16(out, 0);
    return out;
}

std::string PngImage(std::uint32_t width, std::uint32_t height, Random& random) {
    std::string header;
    PutBe32(header, width);
    PutBe32(header, height);
    header.append("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
    std::string pixels;
    pixels.reserve(static_cast<std::size_t>(height) * (1 + 3 * width));
    for (std::uint32_t row = 0; row < height; ++row) {
        pixels.push_back('\0');  // filter: none
        random.FillBytes(pixels, 3 * static_cast<std::size_t>(width));
    }
    std::string out("\x89PNG\r\n\x1A\n", 8);
    PngChunk(out, "IHDR", header);
    PngChunk(out, "IDAT", StoredZlib(pixels));
    PngChunk(out, "IEND", "");
    return out;
}

std::string JpegImage(std::size_t size, Random& random) {
    std::string out("\xFF\xD8", 2);
    JpegSegment(out, 0xE0, std::string_view("JFIF\0\x01\x01\x00\x00\x01\x00\x01\x00\x00", 14));
    constexpr std::size_t kRestSize = 150;  // the tables, the frame, the scan and the end
    constexpr std::size_t kMaxComment = 65533;
    while (out.size() + kRestSize + 4 < size) {
        std::string comment;
        random.FillBytes(comment, std::min(kMaxComment, size - out.size() - kRestSize - 4));
        JpegSegment(out, 0xFE, comment);
    }
    std::string quantisation(1, '\0');
    quantisation.append(64, '\x01');
    JpegSegment(out, 0xDB, quantisation);
    JpegSegment(out, 0xC0, std::string_view("\x08\x00\x08\x00\x08\x01\x01\x11\x00", 9));
    JpegSegment(out, 0xC4, SingleCodeTable(0, 0x00));  // DC: difference category 0
    JpegSegment(out, 0xC4, SingleCodeTable(1, 0x00));  // AC: end of block
    JpegSegment(out, 0xDA, std::string_view("\x01\x01\x00\x00\x3F\x00", 6));
    out.push_back('\x3F');  // the one block: DC code 0, EOB code 0, padded with ones
    out.append("\xFF\xD9", 2);
    return out;
}

std::string PdfDocument(std::string_view title, std::size_t size, Random& random) {
    std::string text;
    for (char c : title) {
        if (c == '(' || c == ')' || c == '\\') text.push_back('\\');
        text.push_back(c);
    }
    std::string stream = "BT /F1 18 Tf 72 720 Td (" + text + ") Tj ET\n";
    constexpr std::size_t kFrameSize = 620;  // everything around the content stream
    static constexpr char kHex[] = "0123456789abcdef";
    while (stream.size() + kFrameSize < size) {
        std::string line = "% ";
        std::string bytes;
        random.FillBytes(bytes, std::min<std::size_t>(38, (size - stream.size() - kFrameSize) / 2 + 1));
        for (unsigned char c : bytes) {
            line.push_back(kHex[c >> 4]);
            line.push_back(kHex[c & 0xF]);
        }
        stream += line + "\n";
    }

    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
        "/Resources << /Font << /F1 5 0 R >> >> >>",
        "<< /Length " + std::to_string(stream.size()) + " >>\nstream\n" + stream + "endstream",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    };
    std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (std::size_t offset : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        out += entry;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return out;
}

}  // namespace sample
