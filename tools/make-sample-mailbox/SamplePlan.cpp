#include "SamplePlan.h"

#include <algorithm>
#include <cmath>

#include "Random.h"

namespace sample {

namespace {

constexpr std::int64_t kFirstArrival = 1677657600;  // 2023-03-01 08:00:00 UTC
constexpr std::int64_t kYear = 365LL * 24 * 3600;

struct Person {
    std::string name;
    std::string address;
};

const std::vector<Person> kPeople = {
    {"Alex Example", "alex@example.com"},       {"Jordan Sample", "jordan@example.org"},
    {"Renée Müller", "renee.mueller@example.net"}, {"Sam Placeholder", "sam@example.com"},
    {"Kim Testperson", "kim@example.org"},      {"Ōta Hiroshi", "hiroshi.ota@example.jp"},
    {"Billing", "billing@example.com"},         {"Newsletter", "news@example.net"}};

const std::vector<std::string> kTopics = {"Quarterly figures", "Meeting notes", "Contract draft", "Travel plans",
                                          "Budget review",     "Delivery schedule", "Invoice",   "Project update",
                                          "Résumé of the call", "Grüße aus Zürich", "Launch checklist",
                                          "Photos from the event"};

const std::vector<std::string> kRandomFolders = {"Inbox",    "Inbox",         "Inbox",        "Inbox",
                                                 "Inbox/Clients", "Inbox/Clients/Acme Corp", "Inbox/Newsletters",
                                                 "Projects", "Projects/Launch 2023", "Archive/2023", "Archive/2024",
                                                 "Sent"};

struct KindChoice {
    FileKind kind;
    std::vector<std::string> names;
};

const std::vector<KindChoice> kKinds = {
    {FileKind::Pdf, {"Report.pdf", "Offer 2023.pdf", "scan.pdf", "Statement.pdf", "Terms.pdf"}},
    {FileKind::Pdf, {"Invoice.pdf", "Minutes.pdf", "Brochure.pdf"}},
    {FileKind::Docx, {"Minutes.docx", "Proposal.docx", "Letter.docx"}},
    {FileKind::Xlsx, {"Budget.xlsx", "Figures Q3.xlsx", "Timesheet.xlsx"}},
    {FileKind::Png, {"diagram.png", "screenshot.png", "chart.png"}},
    {FileKind::Jpg, {"photo.jpg", "IMG_0042.jpg", "site visit.jpg"}},
    {FileKind::Zip, {"archive.zip", "documents.zip"}},
    {FileKind::Csv, {"export.csv", "contacts.csv"}},
    {FileKind::Txt, {"notes.txt", "readme.txt"}},
    {FileKind::Ics, {"invite.ics"}}};

TransferEncoding EncodingFor(FileKind kind) {
    const bool text = kind == FileKind::Csv || kind == FileKind::Txt || kind == FileKind::Ics;
    return text ? TransferEncoding::QuotedPrintable : TransferEncoding::Base64;
}

AttachmentSpec File(std::string name, FileKind kind, std::size_t size, std::uint64_t seed) {
    return {std::move(name), kind, size, seed, false, EncodingFor(kind)};
}

AttachmentSpec InlineImage(std::string name, FileKind kind, std::size_t size, std::uint64_t seed) {
    AttachmentSpec image = File(std::move(name), kind, size, seed);
    image.inlineImage = true;
    return image;
}

MessageSpec Message(std::string folder, std::string subject, std::int64_t arrival, std::size_t person = 0) {
    MessageSpec message;
    message.folder = std::move(folder);
    message.subject = std::move(subject);
    message.fromName = kPeople[person].name;
    message.fromAddress = kPeople[person].address;
    message.arrival = arrival;
    return message;
}

std::vector<MessageSpec> FixedMessages(bool withLinks) {
    std::vector<MessageSpec> messages;
    std::int64_t arrival = kFirstArrival;
    const auto next = [&arrival] { return arrival += 5400; };

    auto unicode = Message("Inbox", "Unicode attachment names", next(), 2);
    unicode.attachments = {File("Zürich Bericht – März.pdf", FileKind::Pdf, 48000, 101),
                           File("日本語の資料.docx", FileKind::Docx, 22000, 102),
                           File("Ελληνικά στοιχεία.xlsx", FileKind::Xlsx, 15000, 103),
                           File("📎 notes.txt", FileKind::Txt, 12000, 104),
                           File("naïve café.csv", FileKind::Csv, 30000, 105)};
    messages.push_back(unicode);

    auto hostile = Message("Inbox", "Hostile attachment names", next(), 3);
    hostile.attachments = {File("..", FileKind::Txt, 11000, 111),
                           File("CON.txt", FileKind::Txt, 11000, 112),
                           File("a:b?.txt", FileKind::Txt, 11000, 113),
                           File("report.pdf...", FileKind::Pdf, 20000, 114),
                           File("../../etc/passwd", FileKind::Txt, 11000, 115),
                           File("dir\\file.txt", FileKind::Txt, 11000, 116),
                           File("tab\there.csv", FileKind::Csv, 11000, 117),
                           File("<angle> \"quoted\" |pipe|*.txt", FileKind::Txt, 11000, 118),
                           File(std::string(230, 'L') + ".pdf", FileKind::Pdf, 20000, 119),
                           File("  leading and trailing blanks  .txt", FileKind::Txt, 11000, 120),
                           File("NUL", FileKind::Txt, 11000, 121),
                           File("trailing dot.", FileKind::Txt, 11000, 122),
                           File("", FileKind::Pdf, 20000, 123)};
    messages.push_back(hostile);

    auto duplicates = Message("Inbox", "Same names in one message", next(), 1);
    duplicates.attachments = {File("scan.pdf", FileKind::Pdf, 26000, 131), File("scan.pdf", FileKind::Pdf, 27000, 132),
                              File("Scan.PDF", FileKind::Pdf, 28000, 133)};
    messages.push_back(duplicates);

    // Three messages of the same minute with the same attachment name: two
    // carry the same bytes, one other bytes of the same size.
    const std::int64_t minute = next();
    auto first = Message("Inbox", "Invoice March (1)", minute, 6);
    first.attachments = {File("invoice.pdf", FileKind::Pdf, 40000, 141)};
    auto second = Message("Inbox", "Invoice March (2)", minute, 6);
    second.attachments = {File("invoice.pdf", FileKind::Pdf, 40000, 142)};
    auto third = Message("Inbox", "Invoice March (copy)", minute + 30, 6);
    third.attachments = {File("invoice.pdf", FileKind::Pdf, 40000, 141)};
    messages.insert(messages.end(), {first, second, third});

    auto newsletter = Message("Inbox/Newsletters", "Newsletter with inline images", next(), 7);
    newsletter.attachments = {InlineImage("image001.png", FileKind::Png, 14000, 151),
                              InlineImage("image002.jpg", FileKind::Jpg, 18000, 152),
                              File("programme.pdf", FileKind::Pdf, 60000, 153)};
    messages.push_back(newsletter);

    auto htmlOnly = Message("Projects", "HTML only, with a spreadsheet", next(), 4);
    htmlOnly.body = BodyStyle::Html;
    htmlOnly.attachments = {File("plan.xlsx", FileKind::Xlsx, 45000, 161)};
    messages.push_back(htmlOnly);

    auto textOnly = Message("Projects", "Text only, with notes and an archive", next(), 4);
    textOnly.body = BodyStyle::Text;
    textOnly.attachments = {File("notes.txt", FileKind::Txt, 16000, 171), File("data.zip", FileKind::Zip, 90000, 172)};
    messages.push_back(textOnly);

    if (withLinks) {
        auto links = Message("Archive/2023", "Links from an earlier run", next(), 0);
        links.links = {{"earlier-report.pdf", "Earlier/earlier-report.pdf", true, FileKind::Pdf, 33000, 181},
                       {"gone.docx", "Earlier/gone.docx", false, FileKind::Docx, 0, 0}};
        links.attachments = {File("still-here.csv", FileKind::Csv, 25000, 182)};
        messages.push_back(links);
    }

    auto appointment = Message("Calendar", "Team offsite", next(), 1);
    appointment.item = ItemStyle::Appointment;
    appointment.attachments = {File("agenda.pdf", FileKind::Pdf, 35000, 191)};
    messages.push_back(appointment);

    auto meeting = Message("Inbox", "Meeting request: project kick-off", next(), 0);
    meeting.item = ItemStyle::MeetingRequest;
    meeting.attachments = {File("kick-off slides.pdf", FileKind::Pdf, 80000, 201)};
    messages.push_back(meeting);

    auto task = Message("Tasks", "Prepare the budget", next(), 3);
    task.item = ItemStyle::Task;
    task.attachments = {File("budget template.xlsx", FileKind::Xlsx, 24000, 211)};
    messages.push_back(task);

    auto contact = Message("Contacts", "Contact: Jordan Sample", next(), 1);
    contact.item = ItemStyle::Contact;
    messages.push_back(contact);

    auto plain = Message("Inbox", "No attachments here", next(), 5);
    plain.body = BodyStyle::Text;
    plain.seen = false;
    messages.push_back(plain);

    auto large = Message("Archive/2024", "Large scan", next(), 2);
    large.attachments = {File("large scan.pdf", FileKind::Pdf, 3500000, 221)};
    messages.push_back(large);

    auto forwarded = Message("Sent", "Fwd: the original with its attachment", next(), 0);
    forwarded.forwardsMessage = true;
    messages.push_back(forwarded);

    auto small = Message("Inbox", "A shortcut and tiny files", next(), 5);
    small.attachments = {File("shortcut.lnk", FileKind::Lnk, 76, 231), File("tiny.txt", FileKind::Txt, 3, 232),
                         File("empty.txt", FileKind::Txt, 0, 233)};
    messages.push_back(small);

    auto german = Message("Überweisungen & Belege", "Überweisung – Bestätigung", next(), 2);
    german.attachments = {File("Beleg Nr. 1.pdf", FileKind::Pdf, 21000, 241)};
    messages.push_back(german);

    auto results = Message("Q1: Results?", "Results of the first quarter", next(), 4);
    results.attachments = {File("results.xlsx", FileKind::Xlsx, 38000, 251)};
    messages.push_back(results);
    return messages;
}

MessageSpec RandomMessage(std::size_t index, std::size_t count, Random& random) {
    const std::int64_t arrival = kFirstArrival + 86400 * 40 +
                                 static_cast<std::int64_t>(index) * kYear / static_cast<std::int64_t>(count) +
                                 static_cast<std::int64_t>(random.Below(3000));
    MessageSpec message = Message(random.Pick(kRandomFolders),
                                  random.Pick(kTopics) + " " + std::to_string(1 + random.Below(99)), arrival,
                                  random.Below(kPeople.size()));
    const double style = random.Unit();
    message.body = style < 0.6 ? BodyStyle::TextAndHtml : style < 0.85 ? BodyStyle::Text : BodyStyle::Html;
    message.seen = !random.Chance(0.1);

    const double draw = random.Unit();
    const int attachments = draw < 0.2 ? 0 : draw < 0.6 ? 1 : draw < 0.85 ? 2 : 3 + static_cast<int>(random.Below(2));
    for (int i = 0; i < attachments; ++i) {
        const KindChoice& choice = kKinds[random.Below(kKinds.size())];
        message.attachments.push_back(File(random.Pick(choice.names), choice.kind, 0, random.Next()));
    }
    if (message.body != BodyStyle::Text && random.Chance(0.1)) {
        message.attachments.push_back(
            InlineImage("image001.png", FileKind::Png, 2000 + random.Below(30000), random.Next()));
    }
    return message;
}

std::uint64_t AttachmentBytes(const std::vector<MessageSpec>& messages) {
    std::uint64_t total = 0;
    for (const auto& message : messages) {
        for (const auto& attachment : message.attachments) total += attachment.size;
    }
    return total;
}

}  // namespace

std::vector<std::string> SampleFolders() {
    return {"Inbox",    "Inbox/Clients",        "Inbox/Clients/Acme Corp", "Inbox/Newsletters",
            "Projects", "Projects/Launch 2023", "Archive",                 "Archive/2023",
            "Archive/2024", "Sent",             "Calendar",                "Tasks",
            "Contacts", "Überweisungen & Belege", "Q1: Results?"};
}

std::vector<MessageSpec> MakePlan(const PlanOptions& options) {
    Random random(options.seed);
    std::vector<MessageSpec> messages = FixedMessages(options.withLinks);
    const std::size_t fixedCount = messages.size();
    const std::uint64_t fixedBytes = AttachmentBytes(messages);
    const std::size_t randomCount = options.messages > fixedCount ? options.messages - fixedCount : 0;

    // Sizes spread evenly over their logarithm, then scaled together to the total.
    std::vector<std::pair<std::size_t, std::size_t>> scaled;  // message, attachment
    double drawn = 0;
    std::vector<double> weights;
    for (std::size_t i = 0; i < randomCount; ++i) {
        Random own = random.Fork();
        messages.push_back(RandomMessage(i, randomCount, own));
        auto& message = messages.back();
        for (std::size_t a = 0; a < message.attachments.size(); ++a) {
            if (message.attachments[a].inlineImage) continue;
            const double weight = own.LogUniform(16, static_cast<double>(options.maxAttachmentBytes));
            scaled.emplace_back(messages.size() - 1, a);
            weights.push_back(weight);
            drawn += weight;
        }
    }
    const double budget =
        options.totalBytes > fixedBytes ? static_cast<double>(options.totalBytes - fixedBytes) : 0.0;
    const double factor = drawn > 0 ? budget / drawn : 0.0;
    const auto largest = static_cast<double>(std::max<std::size_t>(options.maxAttachmentBytes, 1) * 3 / 2);
    for (std::size_t i = 0; i < scaled.size(); ++i) {
        const auto [message, attachment] = scaled[i];
        messages[message].attachments[attachment].size =
            static_cast<std::size_t>(std::clamp(weights[i] * factor, 1.0, largest));
    }
    return messages;
}

}  // namespace sample
