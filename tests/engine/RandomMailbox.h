#pragma once

// Random mailboxes, options and run sequences for the engine's property test:
// what a case is, how a seed makes one, and how a failing one is printed.
// A case is plain data, so that the same case can be run again (to shrink it)
// in a fresh world.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/DateTime.h"
#include "base/Format.h"
#include "base/Utf16.h"
#include "sim/Item.h"

namespace engine_property {

// splitmix64: the same numbers on every platform and standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Percent(int chance) { return Below(100) < chance; }
    template <class T>
    const T& Pick(const std::vector<T>& choices) {
        return choices[static_cast<std::size_t>(Below(static_cast<int>(choices.size())))];
    }
    std::string Bytes(int size) {
        std::string bytes(static_cast<std::size_t>(size), '\0');
        for (auto& byte : bytes) byte = static_cast<char>(Next() & 0xFF);
        return bytes;
    }

private:
    std::uint64_t state_;
};

enum class AttachmentKind { ByValue, Link, Ole };

struct AttachmentSpec {
    AttachmentKind Kind = AttachmentKind::ByValue;
    // By value: the file name; OLE: the display name; link: the linked path.
    std::u16string Name;
    // By value: the bytes; link: what the linked file holds, when it exists.
    std::string Content;
    bool LinkedFileExists = false;
    bool SizeKnown = true;              // PR_ATTACH_SIZE present
    std::optional<std::int32_t> Flags;  // PR_ATTACH_FLAGS, when present
    bool AnswersMapi = true;
};

struct ItemSpec {
    int Id = 0;
    sim::ItemKind Kind = sim::ItemKind::Mail;
    velmora::DateTimeParts Created;
    std::u16string Body;
    bool IgnoresBodyWrites = false;
    std::vector<AttachmentSpec> Attachments;
};

struct FolderSpec {
    int Id = 0;
    std::u16string Name;
    std::vector<ItemSpec> Items;
    std::vector<FolderSpec> Folders;
};

// A file on disk before the first run: directly in the target, in the
// directory that mirrors a folder, or where a re-root to the other drive
// moves the target's files.
constexpr int kInTarget = -1;
constexpr int kAtOtherDrive = -2;
struct ExistingFile {
    int FolderId = kInTarget;  // or the folder's id
    std::u16string Name;       // may hold a relative directory
    std::string Content;
    std::optional<velmora::DateTimeParts> Time;
};

enum class OpKind { SaveFolder, SaveSelection, ReintroduceFolder, ReintroduceSelection, ReintroduceMail, ReRootFolder,
                    ReRootSelection };

struct SaveOptions {
    bool UseFolderNameAsDir = false;
    std::uint8_t SaveAttOptions = 0;
    std::uint8_t IfFileExists = 0;
    // What the OnFileExists handler answers; none: no handler.
    std::optional<std::uint8_t> Answer;
    std::u16string Extensions;
    std::int32_t BiggerThan = 0;
    bool SaveInline = false;
};

enum class FaultTarget { SaveAsFile, FileName, Save, Add, Remove, FolderItems, FolderItem };

// The host call that fails: the CallOffset-th call after the run starts.
struct FaultSpec {
    FaultTarget Target = FaultTarget::Save;
    int ItemId = 0;           // for attachment, item and collection faults
    int AttachmentIndex = 1;  // 1-based, taken modulo the attachments there are
    int FolderId = 0;         // for folder faults
    int CallOffset = 1;
};

struct OpSpec {
    OpKind Kind = OpKind::SaveFolder;
    int FolderId = 0;
    bool SubFolders = true;
    std::vector<int> Selection;  // item ids, in selection order
    bool Remove = false;
    bool DeleteFiles = false;
    bool NewRootOnOtherDrive = true;
    SaveOptions Options;
    std::optional<int> CancelAfter;  // callback events into the run
    std::optional<FaultSpec> Fault;
};

struct Case {
    std::uint64_t Seed = 0;
    std::u16string Target;  // every save's directory, and the old root of every re-root
    FolderSpec Store;       // the store's root folder
    std::vector<ExistingFile> Existing;
    std::vector<OpSpec> Ops;
};

inline bool IsReRoot(OpKind kind) { return kind == OpKind::ReRootFolder || kind == OpKind::ReRootSelection; }
inline bool IsSave(OpKind kind) { return kind == OpKind::SaveFolder || kind == OpKind::SaveSelection; }
inline bool OnFolder(OpKind kind) {
    return kind == OpKind::SaveFolder || kind == OpKind::ReintroduceFolder || kind == OpKind::ReRootFolder;
}

inline std::u16string OtherDriveRoot(const Case& c) { return c.Target[0] == u'C' ? u"D:\\Moved" : u"C:\\Moved"; }

// The new root of a re-root: on the other drive, or inside the old root.
inline std::u16string NewRoot(const Case& c, const OpSpec& op) {
    return (op.NewRootOnOtherDrive ? OtherDriveRoot(c) : c.Target + u"\\Archive") + u"\\";
}

template <class Visit>
void ForEachFolder(const FolderSpec& folder, const Visit& visit) {
    visit(folder);
    for (const auto& sub : folder.Folders) ForEachFolder(sub, visit);
}

template <class Visit>
void ForEachFolder(FolderSpec& folder, const Visit& visit) {
    visit(folder);
    for (auto& sub : folder.Folders) ForEachFolder(sub, visit);
}

namespace detail {

inline const std::vector<std::u16string>& PlainNames() {
    static const std::vector<std::u16string> names = {u"report.csv", u"Report.PDF", u"image001.png", u"photo.jpg",
                                                      u"notes.txt",  u"README",     u"data.bin",     u"a.doc",
                                                      u"x.lnk",      u"scan.TIF",   u"plan.txt"};
    return names;
}

// Dots, devices, characters Windows refuses, control characters, trailing
// dots and blanks, nothing at all, Unicode, and near-duplicates of plain names.
inline const std::vector<std::u16string>& OddNames() {
    static const std::vector<std::u16string> names = {
        u"..", u".", u"...", u"CON.txt", u"con", u"LPT1", u"com9.log", u"NUL.tar.gz", u"aux .txt", u"a:b.txt",
        u"x*y?.txt", u"back\\slash.txt", u"..\\..\\escape.txt", u"fwd/slash.txt", u"<tag>.htm", u"quote\"d.txt",
        u"ctrl\u0001\u001f.txt", u"tab\tname.txt", u"trailing. .", u"trailing ", u"", u"pipe|name.txt",
        u"semi;colon.txt", u"\u041e\u0442\u0447\u0451\u0442.pdf", u"\u65e5\u672c\u8a9e.txt", u"emoji\U0001F600.png",
        u"\u0416\u00a5.txt", u"REPORT.csv", u"report.csv.", u"Report(1).pdf"};
    return names;
}

inline const std::vector<std::u16string>& PlainFolderNames() {
    static const std::vector<std::u16string> names = {u"Inbox", u"inbox",        u"Projects",
                                                      u"Zeta",  u"Archive 2023", u"\u65e5\u672c"};
    return names;
}

inline const std::vector<std::u16string>& OddFolderNames() {
    static const std::vector<std::u16string> names = {u"..", u".",   u"con",      u"A:B",  u"A B", u"name. ",
                                                      u"",   u"a/b", u"LPT1.old", u"x?y*", u"Q|A", u"tab\tname"};
    return names;
}

inline std::u16string FolderName(Random& random) {
    return random.Percent(70) ? random.Pick(PlainFolderNames()) : random.Pick(OddFolderNames());
}

inline std::u16string AttachmentName(Random& random) {
    return random.Percent(55) ? random.Pick(PlainNames()) : random.Pick(OddNames());
}

inline std::string Content(Random& random) {
    const int roll = random.Below(100);
    if (roll < 5) return {};
    if (roll < 45) return random.Bytes(random.Between(1, 64));
    if (roll < 90) return random.Bytes(random.Between(65, 3000));
    return random.Bytes(random.Between(2048, 5000));
}

class CaseMaker {
public:
    explicit CaseMaker(std::uint64_t seed) : random_(seed) { case_.Seed = seed; }

    Case Make() {
        case_.Target = random_.Pick(std::vector<std::u16string>{u"C:\\Out", u"C:\\Saved Files\\Mail", u"D:\\Att"});
        case_.Store = Folder(u"Personal Folders", 0);
        MakeExistingFiles();
        const int ops = random_.Between(2, 4);
        for (int i = 0; i < ops; ++i) case_.Ops.push_back(Op(i == 0 && random_.Percent(80)));
        return case_;
    }

private:
    FolderSpec Folder(std::u16string name, int depth) {
        FolderSpec folder{nextFolder_++, std::move(name), {}, {}};
        if (depth > 0) {
            const int items = random_.Between(0, 4);
            for (int i = 0; i < items; ++i) folder.Items.push_back(Item());
        }
        const int subFolders = depth == 0 ? random_.Between(1, 3) : depth < 3 ? random_.Between(0, 2) : 0;
        std::vector<std::u16string> taken;
        for (int i = 0; i < subFolders; ++i) {
            std::u16string sub = FolderName(random_);
            // The builder finds a folder by its exact name; letter case may differ.
            if (std::find(taken.begin(), taken.end(), sub) != taken.end()) continue;
            taken.push_back(sub);
            folder.Folders.push_back(Folder(sub, depth + 1));
        }
        return folder;
    }

    ItemSpec Item() {
        ItemSpec item;
        item.Id = nextItem_++;
        const int kind = random_.Below(100);
        item.Kind = kind < 50   ? sim::ItemKind::Mail
                    : kind < 60 ? sim::ItemKind::Appointment
                    : kind < 70 ? sim::ItemKind::MeetingRequest
                    : kind < 80 ? sim::ItemKind::Task
                    : kind < 90 ? sim::ItemKind::Contact
                                : sim::ItemKind::Note;
        // Few distinct minutes, so that items often share one.
        item.Created = {2024, 5, 1, 10, random_.Pick(std::vector<int>{15, 15, 16, 40}), random_.Between(0, 59), 0};
        item.Body = random_.Pick(std::vector<std::u16string>{u"", u"Hello", u"See <file://C:\\nowhere.txt>"});
        item.IgnoresBodyWrites = random_.Percent(3);
        const int attachments = random_.Between(0, 4);
        for (int i = 0; i < attachments; ++i) item.Attachments.push_back(Attachment());
        return item;
    }

    AttachmentSpec Attachment() {
        AttachmentSpec a;
        const int kind = random_.Below(100);
        if (kind < 75) {
            a.Name = AttachmentName(random_);
            if (!values_.empty() && random_.Percent(12)) {
                const auto& twin = random_.Pick(values_);
                a.Content = twin.Content;
                if (random_.Percent(50)) a.Name = twin.Name;
            } else {
                a.Content = Content(random_);
            }
            a.SizeKnown = random_.Percent(85);
            const int flags = random_.Below(4);
            if (flags == 1) a.Flags = 0;
            if (flags >= 2) a.Flags = 4;
            a.AnswersMapi = random_.Percent(90);
            values_.push_back(a);
        } else if (kind < 90) {
            a.Kind = AttachmentKind::Link;
            if (!links_.empty() && random_.Percent(30)) return random_.Pick(links_);
            const int where = random_.Below(10);
            const std::u16string name = random_.Pick(PlainNames());
            a.Name = where < 4   ? case_.Target + u"\\Linked\\" + name
                     : where < 7 ? u"C:\\Elsewhere\\" + name
                                 : case_.Target + u"\\Missing\\" + name;
            a.LinkedFileExists = where < 7;
            if (a.LinkedFileExists) a.Content = Content(random_);
            if (where < 4 && random_.Percent(25)) {
                const bool same = random_.Percent(50);
                case_.Existing.push_back({kAtOtherDrive, u"Linked\\" + name, same ? a.Content : Content(random_), {}});
            }
            links_.push_back(a);
        } else {
            a.Kind = AttachmentKind::Ole;
            a.Name = u"Picture (Device Independent Bitmap)";
        }
        return a;
    }

    void MakeExistingFiles() {
        std::vector<std::pair<int, const ItemSpec*>> candidates;
        ForEachFolder(std::as_const(case_.Store), [&](const FolderSpec& folder) {
            for (const auto& item : folder.Items) candidates.emplace_back(folder.Id, &item);
        });
        const int files = random_.Between(0, 4);
        for (int i = 0; i < files && !candidates.empty(); ++i) {
            const auto& [folderId, item] = random_.Pick(candidates);
            ExistingFile file;
            file.FolderId = random_.Percent(50) ? folderId : kInTarget;
            file.Name = random_.Pick(PlainNames());
            file.Content = Content(random_);
            for (const auto& a : item->Attachments) {
                // Only a plain name is written under the name the engine would choose.
                const auto& plain = PlainNames();
                if (a.Kind != AttachmentKind::ByValue ||
                    std::find(plain.begin(), plain.end(), a.Name) == plain.end()) {
                    continue;
                }
                file.Name = a.Name;
                const int roll = random_.Below(4);
                if (roll <= 1) file.Content = a.Content;
                if (roll == 2) file.Content = random_.Bytes(static_cast<int>(a.Content.size()));
                break;
            }
            if (random_.Percent(60)) {
                file.Time = item->Created;
                file.Time->Second = std::min(59, file.Time->Second + random_.Between(0, 50));
            }
            case_.Existing.push_back(file);
        }
    }

    OpSpec Op(bool save) {
        OpSpec op;
        static const std::vector<OpKind> kinds = {
            OpKind::SaveFolder,        OpKind::SaveFolder,           OpKind::SaveFolder,      OpKind::SaveSelection,
            OpKind::ReintroduceFolder, OpKind::ReintroduceFolder,    OpKind::ReintroduceMail, OpKind::ReintroduceSelection,
            OpKind::ReRootFolder,      OpKind::ReRootFolder,         OpKind::ReRootFolder,    OpKind::ReRootSelection};
        op.Kind = save ? OpKind::SaveFolder : random_.Pick(kinds);
        std::vector<const FolderSpec*> folders;
        ForEachFolder(std::as_const(case_.Store), [&](const FolderSpec& folder) { folders.push_back(&folder); });
        const FolderSpec& folder = random_.Percent(40) ? case_.Store : *random_.Pick(folders);
        op.FolderId = folder.Id;
        op.SubFolders = random_.Percent(70);
        std::vector<int> all;
        for (const auto* f : folders) {
            for (const auto& item : f->Items) all.push_back(item.Id);
        }
        const int selected = all.empty() ? 0 : random_.Between(1, std::min<int>(4, static_cast<int>(all.size())));
        for (int i = 0; i < selected; ++i) {
            const int id = random_.Pick(all);
            if (std::find(op.Selection.begin(), op.Selection.end(), id) == op.Selection.end()) op.Selection.push_back(id);
        }
        op.Remove = random_.Percent(70);
        op.DeleteFiles = random_.Percent(50);
        op.NewRootOnOtherDrive = random_.Percent(60);
        auto& o = op.Options;
        o.UseFolderNameAsDir = random_.Percent(60);
        // Mostly links, which reintroduce and re-root work on.
        o.SaveAttOptions = static_cast<std::uint8_t>(random_.Percent(50) ? 0 : random_.Between(1, 2));
        o.IfFileExists = static_cast<std::uint8_t>(random_.Below(3));
        if (random_.Percent(80)) o.Answer = static_cast<std::uint8_t>(random_.Pick(std::vector<int>{0, 0, 1, 7}));
        o.Extensions = random_.Pick(std::vector<std::u16string>{u"", u"", u"", u".pdf;.txt", u".CSV;.bin;.png"});
        o.BiggerThan = random_.Pick(std::vector<int>{0, 0, 0, 1, 2, -1});
        o.SaveInline = random_.Percent(40);
        if (random_.Percent(20)) op.CancelAfter = random_.Between(1, 40);
        if (random_.Percent(35)) op.Fault = Fault(op, folder);
        return op;
    }

    // A failure of a call the run makes: on a folder or an item it visits.
    FaultSpec Fault(const OpSpec& op, const FolderSpec& folder) {
        std::vector<int> folders;
        std::vector<int> items = op.Selection;
        if (OnFolder(op.Kind)) {
            items.clear();
            const auto visit = [&](const FolderSpec& f) {
                folders.push_back(f.Id);
                for (const auto& item : f.Items) {
                    if (!item.Attachments.empty()) items.push_back(item.Id);
                }
            };
            if (op.SubFolders) {
                ForEachFolder(folder, visit);
            } else {
                visit(folder);
            }
        }
        FaultSpec fault;
        const int targets = folders.empty() ? 5 : 7;
        fault.Target = static_cast<FaultTarget>(random_.Below(targets));
        fault.ItemId = items.empty() ? 0 : random_.Pick(items);
        fault.AttachmentIndex = random_.Between(1, 4);
        fault.FolderId = folders.empty() ? 0 : random_.Pick(folders);
        fault.CallOffset = random_.Percent(70) ? 1 : 2;
        return fault;
    }

    Random random_;
    Case case_;
    int nextFolder_ = 0;
    int nextItem_ = 1;
    std::vector<AttachmentSpec> values_;
    std::vector<AttachmentSpec> links_;
};

}  // namespace detail

inline Case MakeCase(std::uint64_t seed) { return detail::CaseMaker(seed).Make(); }

// A name as it can be read in a test log: quoted, control characters and
// quotes escaped, everything else in UTF-8.
inline std::string Quoted(const std::u16string& text) {
    std::u16string escaped;
    for (char16_t c : text) {
        if (c < 0x20) {
            escaped += velmora::Format(u"\\x%d", {std::int64_t{c}});
        } else if (c == u'"') {
            escaped += u"\\\"";
        } else {
            escaped += c;
        }
    }
    return "\"" + velmora::ToUtf8(escaped) + "\"";
}

namespace detail {

inline const char* KindName(sim::ItemKind kind) {
    static const char* const names[] = {"mail", "appointment", "meeting request", "task", "contact", "note"};
    return names[static_cast<int>(kind)];
}

inline const char* OpName(OpKind kind) {
    static const char* const names[] = {"SaveFolder",   "SaveSelection", "ReintroduceFolder", "ReintroduceSelection",
                                        "ReintroduceMail", "ReRootFolder", "ReRootSelection"};
    return names[static_cast<int>(kind)];
}

inline const char* FaultName(FaultTarget target) {
    static const char* const names[] = {"SaveAsFile", "FileName", "Save", "Add", "Remove", "Items", "Items.Item"};
    return names[static_cast<int>(target)];
}

inline std::string Time(const velmora::DateTimeParts& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour, t.Minute,
                  t.Second);
    return text;
}

inline std::string Attachment(const AttachmentSpec& a) {
    switch (a.Kind) {
    case AttachmentKind::Ole:
        return "OLE " + Quoted(a.Name);
    case AttachmentKind::Link:
        return "link " + Quoted(a.Name) +
               (a.LinkedFileExists ? " to a file of " + std::to_string(a.Content.size()) + " B" : " to no file");
    case AttachmentKind::ByValue:
        break;
    }
    return "value " + Quoted(a.Name) + " " + std::to_string(a.Content.size()) + " B" +
           (a.SizeKnown ? "" : ", size unknown") + (a.Flags ? ", flags " + std::to_string(*a.Flags) : "") +
           (a.AnswersMapi ? "" : ", no IAttachment");
}

inline void Folder(const FolderSpec& folder, int depth, std::string& out) {
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    out += indent + "folder " + std::to_string(folder.Id) + " " + Quoted(folder.Name) + "\n";
    for (const auto& item : folder.Items) {
        out += indent + "  item " + std::to_string(item.Id) + " (" + KindName(item.Kind) + ", created " +
               Time(item.Created) + ", body " + Quoted(item.Body) + (item.IgnoresBodyWrites ? ", ignores body writes" : "") +
               ")\n";
        for (std::size_t i = 0; i < item.Attachments.size(); ++i) {
            out += indent + "    " + std::to_string(i + 1) + ". " + Attachment(item.Attachments[i]) + "\n";
        }
    }
    for (const auto& sub : folder.Folders) Folder(sub, depth + 1, out);
}

inline std::string Op(const Case& c, const OpSpec& op) {
    std::string out = OpName(op.Kind);
    if (OnFolder(op.Kind)) {
        out += " folder " + std::to_string(op.FolderId) + (op.SubFolders ? " with sub-folders" : "");
    } else {
        out += " items";
        for (int id : op.Selection) out += " " + std::to_string(id);
    }
    if (IsSave(op.Kind)) {
        const auto& o = op.Options;
        out += std::string(op.Remove ? ", remove" : ", keep") + ", SaveAttOptions " + std::to_string(o.SaveAttOptions) +
               ", IfFileExists " + std::to_string(o.IfFileExists) + ", answer " +
               (o.Answer ? std::to_string(*o.Answer) : "none") + ", UseFolderNameAsDir " +
               std::to_string(o.UseFolderNameAsDir) + ", extensions " + Quoted(o.Extensions) + ", bigger than " +
               std::to_string(o.BiggerThan) + " KB, inline " + std::to_string(o.SaveInline);
    } else if (IsReRoot(op.Kind)) {
        out += " to " + velmora::ToUtf8(NewRoot(c, op));
    } else {
        out += op.DeleteFiles ? ", delete files" : ", keep files";
    }
    if (op.CancelAfter) out += ", cancel after " + std::to_string(*op.CancelAfter) + " events";
    if (op.Fault) {
        const auto& f = *op.Fault;
        const bool onFolder = f.Target == FaultTarget::FolderItems || f.Target == FaultTarget::FolderItem;
        out += std::string(", fault: call ") + std::to_string(f.CallOffset) + " of " + FaultName(f.Target) + " on " +
               (onFolder ? "folder " + std::to_string(f.FolderId)
                         : "item " + std::to_string(f.ItemId) +
                               (f.Target == FaultTarget::SaveAsFile || f.Target == FaultTarget::FileName
                                    ? " attachment " + std::to_string(f.AttachmentIndex)
                                    : ""));
    }
    return out;
}

}  // namespace detail

inline std::string Describe(const Case& c) {
    std::string out = "seed " + std::to_string(c.Seed) + ", target " + velmora::ToUtf8(c.Target) + "\n";
    detail::Folder(c.Store, 0, out);
    for (const auto& file : c.Existing) {
        const std::string where = file.FolderId == kInTarget     ? "the target"
                                  : file.FolderId == kAtOtherDrive ? velmora::ToUtf8(OtherDriveRoot(c))
                                                                   : "the directory of folder " + std::to_string(file.FolderId);
        out += "existing file " + Quoted(file.Name) + " in " + where +
               ", " + std::to_string(file.Content.size()) + " B" + (file.Time ? ", time " + detail::Time(*file.Time) : "") +
               "\n";
    }
    for (std::size_t i = 0; i < c.Ops.size(); ++i) {
        out += "run " + std::to_string(i + 1) + ": " + detail::Op(c, c.Ops[i]) + "\n";
    }
    return out;
}

}  // namespace engine_property
