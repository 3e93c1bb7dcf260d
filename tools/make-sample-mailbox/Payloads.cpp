#include "Payloads.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "FileFormats.h"

namespace sample {

namespace {

const std::vector<std::string> kWords = {
    "quarterly", "figures", "meeting", "agenda",  "review",   "draft",  "budget", "contract", "delivery",
    "schedule",  "invoice", "project", "partner", "forecast", "travel", "report", "minutes",  "approval",
    "customer",  "summary", "update",  "launch",  "planning", "office", "team",   "results",  "the",
    "and",       "of",      "for",     "with",    "next",     "week",   "please", "attached", "thanks"};

std::string Escaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '\n': out += ' '; break;
            default: out.push_back(c);
        }
    }
    return out;
}

std::string Docx(std::size_t size, Random& random) {
    constexpr std::size_t kFrameSize = 1200;  // the package's other parts and the document's frame
    std::string body;
    do {
        body += "<w:p><w:r><w:t>" + Escaped(FillerText(70, random)) + "</w:t></w:r></w:p>";
    } while (body.size() + kFrameSize < size);
    return ZipArchive({
        {"[Content_Types].xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
         "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
         "officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
        {"word/document.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
             body + "</w:body></w:document>"},
    });
}

std::string Xlsx(std::size_t size, Random& random) {
    std::string rows;
    constexpr std::size_t kFrameSize = 1700;
    for (int row = 1; rows.size() + kFrameSize < size || row == 1; ++row) {
        const auto amount = static_cast<double>(random.Below(10000000)) / 100.0;
        char cells[256];
        std::snprintf(cells, sizeof cells,
                      "<row r=\"%d\"><c r=\"A%d\"><v>%d</v></c><c r=\"B%d\" t=\"inlineStr\"><is><t>%s</t></is></c>"
                      "<c r=\"C%d\"><v>%.2f</v></c></row>",
                      row, row, row, row, random.Pick(kWords).c_str(), row, amount);
        rows += cells;
    }
    return ZipArchive({
        {"[Content_Types].xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
         "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
         "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
         "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/></Types>"},
        {"_rels/.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
         "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
         "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
         "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
         "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
             rows + "</sheetData></worksheet>"},
    });
}

std::string Zip(std::size_t size, Random& random) {
    std::string data;
    random.FillBytes(data, size > 300 ? size - 300 : 16);
    return ZipArchive({{"readme.txt", FillerText(120, random)}, {"data/measurements.bin", data}});
}

std::string Png(std::size_t size, Random& random) {
    const std::uint32_t width = size < 20000 ? 16 : 256;
    const std::size_t rowSize = 1 + 3 * static_cast<std::size_t>(width);
    const auto height = static_cast<std::uint32_t>(std::max<std::size_t>(1, (size > 120 ? size - 120 : 0) / rowSize));
    return PngImage(width, height, random);
}

std::string Csv(std::size_t size, Random& random) {
    std::string out = "id;date;amount;description\r\n";
    for (int id = 1; out.size() < size; ++id) {
        char line[160];
        std::snprintf(line, sizeof line, "%d;2023-%02d-%02d;%llu.%02llu;%s %s\r\n", id,
                      static_cast<int>(1 + random.Below(12)), static_cast<int>(1 + random.Below(28)),
                      static_cast<unsigned long long>(random.Below(100000)),
                      static_cast<unsigned long long>(random.Below(100)), random.Pick(kWords).c_str(),
                      random.Pick(kWords).c_str());
        out += line;
    }
    return out;
}

std::string Ics(std::size_t size, Random& random) {
    std::string out = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Velmora//Sample//EN\r\n";
    for (int n = 1; out.size() + 40 < size || n == 1; ++n) {
        char event[400];
        std::snprintf(event, sizeof event,
                      "BEGIN:VEVENT\r\nUID:sample-%d-%llu@velmora.invalid\r\nDTSTAMP:20230301T090000Z\r\n"
                      "DTSTART:202304%02dT%02d0000Z\r\nDURATION:PT1H\r\nSUMMARY:%s %s\r\nEND:VEVENT\r\n",
                      n, static_cast<unsigned long long>(random.Below(1000000)),
                      static_cast<int>(1 + random.Below(28)), static_cast<int>(8 + random.Below(9)),
                      random.Pick(kWords).c_str(), random.Pick(kWords).c_str());
        out += event;
    }
    return out + "END:VCALENDAR\r\n";
}

// A Windows shell link header alone: enough for the name's sake, the engine never opens it.
std::string Lnk() {
    std::string out("\x4C\x00\x00\x00\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 20);
    out.append(56, '\0');
    return out;
}

}  // namespace

std::string_view ExtensionOf(FileKind kind) {
    switch (kind) {
        case FileKind::Pdf: return ".pdf";
        case FileKind::Docx: return ".docx";
        case FileKind::Xlsx: return ".xlsx";
        case FileKind::Png: return ".png";
        case FileKind::Jpg: return ".jpg";
        case FileKind::Zip: return ".zip";
        case FileKind::Csv: return ".csv";
        case FileKind::Txt: return ".txt";
        case FileKind::Ics: return ".ics";
        case FileKind::Lnk: return ".lnk";
    }
    return "";
}

std::string_view MediaTypeOf(FileKind kind) {
    switch (kind) {
        case FileKind::Pdf: return "application/pdf";
        case FileKind::Docx: return "application/vnd.openxmlformats-officedocument.wordprocessingml.document";
        case FileKind::Xlsx: return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
        case FileKind::Png: return "image/png";
        case FileKind::Jpg: return "image/jpeg";
        case FileKind::Zip: return "application/zip";
        case FileKind::Csv: return "text/csv";
        case FileKind::Txt: return "text/plain";
        case FileKind::Ics: return "text/calendar";
        case FileKind::Lnk: return "application/octet-stream";
    }
    return "application/octet-stream";
}

std::string FillerText(std::size_t size, Random& random) {
    std::string out;
    std::size_t lineLength = 0;
    while (out.size() < size) {
        const std::string& word = random.Pick(kWords);
        if (lineLength + word.size() > 70) {
            out += '\n';
            lineLength = 0;
        } else if (lineLength > 0) {
            out += ' ';
            ++lineLength;
        }
        out += word;
        lineLength += word.size();
    }
    out.resize(size);
    return out;
}

std::string MakeFile(FileKind kind, std::size_t size, std::uint64_t seed) {
    Random random(seed);
    switch (kind) {
        case FileKind::Pdf: return PdfDocument("Velmora sample document " + std::to_string(seed % 10000), size, random);
        case FileKind::Docx: return Docx(size, random);
        case FileKind::Xlsx: return Xlsx(size, random);
        case FileKind::Png: return Png(size, random);
        case FileKind::Jpg: return JpegImage(size, random);
        case FileKind::Zip: return Zip(size, random);
        case FileKind::Csv: return Csv(size, random);
        case FileKind::Txt: return FillerText(size, random);
        case FileKind::Ics: return Ics(size, random);
        case FileKind::Lnk: return Lnk();
    }
    return {};
}

}  // namespace sample
