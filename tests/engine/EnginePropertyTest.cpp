// Random mailboxes through random sequences of save, reintroduce and re-root
// runs, with random options, cancels and host failures. After every run, and
// from inside the run's callbacks, no attachment may be lost, nothing may be
// written outside the run's tree, and the engine must be idle again.
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "EngineFixture.h"
#include "RandomMailbox.h"
#include "host/HostError.h"
#include "util/ARQ_FUNC.h"

using namespace velmora;
using namespace engine_property;

namespace {

namespace fs = std::filesystem;

// The first forty-eight, and later ones that reach a rare interplay: a file shared
// by two links, deleted after one of them was reintroduced.
std::vector<std::uint64_t> Seeds() {
    std::vector<std::uint64_t> seeds;
    for (std::uint64_t seed = 1; seed <= 48; ++seed) seeds.push_back(seed);
    seeds.push_back(127);
    seeds.push_back(343);
    return seeds;
}

std::optional<std::string> ReadNative(const fs::path& path) {
    std::error_code error;
    if (!fs::is_regular_file(fs::symlink_status(path, error))) return std::nullopt;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    std::string bytes(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// What Windows takes as an ordinary name in a directory.
bool WindowsAcceptsName(const std::u16string& name) {
    if (name.empty() || name.back() == u'.' || name.back() == u' ') return false;
    for (char16_t c : name) {
        if (c < 0x20 || std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos) return false;
    }
    std::u16string stem = UpperCase(name.substr(0, name.find(u'.')));
    while (!stem.empty() && stem.back() == u' ') stem.pop_back();
    for (std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL"}) {
        if (stem == device) return false;
    }
    return !(stem.size() == 4 && (stem.starts_with(u"COM") || stem.starts_with(u"LPT")) && stem[3] >= u'1' &&
             stem[3] <= u'9');
}

// The native path a percent-encoded file URI's path stands for.
std::string DecodedUriPath(const std::u16string& path) {
    const std::string bytes = ToUtf8(path);
    std::string decoded;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '%' && i + 2 < bytes.size()) {
            decoded.push_back(static_cast<char>(std::stoi(bytes.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            decoded.push_back(bytes[i]);
        }
    }
    return decoded;
}

// The Windows paths the body's references name: a file URI of a native path
// is taken back to the drive that maps it.
std::vector<std::u16string> BodyReferences(const std::u16string& body, const posix::WindowsFileSystem& files) {
    static const std::u16string open = u"<file://";
    std::vector<std::u16string> paths;
    for (size_t at = body.find(open); at != std::u16string::npos; at = body.find(open, at)) {
        const size_t start = at + open.size();
        const size_t end = body.find(u'>', start);
        if (end == std::u16string::npos) break;
        std::u16string path = body.substr(start, end - start);
        if (path.starts_with(u"/")) path = files.FromNative(DecodedUriPath(path)).value_or(path);
        paths.push_back(path);
        at = end;
    }
    return paths;
}

std::string Show(const std::string& bytes) {
    char text[16];
    std::string shown = std::to_string(bytes.size()) + " B";
    for (size_t i = 0; i < std::min<size_t>(bytes.size(), 4); ++i) {
        std::snprintf(text, sizeof text, " %02x", static_cast<unsigned char>(bytes[i]));
        shown += text;
    }
    return shown;
}

// Something an item had at the start: bytes, or an OLE object (by identity).
// Released for good once the user let go of it.
struct Original {
    std::string Bytes;
    com::ComPtr<sim::Attachment> Ole;
    std::string Text;
    bool Released = false;
};

// Something that holds bytes for an item now: a by-value attachment, or a
// path with what its file holds (Live) and the bytes the user let go of there.
struct Holder {
    std::vector<std::string> Live;
    std::vector<std::string> LetGo;
    const sim::Attachment* Ole = nullptr;
    std::string Text;
};

enum class Hold { No, Live, LetGo };

Hold Holds(const Holder& holder, const Original& original) {
    const auto in = [&](const std::vector<std::string>& list) {
        return std::find(list.begin(), list.end(), original.Bytes) != list.end();
    };
    if (original.Ole) return holder.Ole == original.Ole.Get() ? Hold::Live : Hold::No;
    if (holder.Ole) return Hold::No;
    return in(holder.Live) ? Hold::Live : in(holder.LetGo) ? Hold::LetGo : Hold::No;
}

// Gives every original that is not released a holder of its own (bipartite
// matching), live holders first: the holder's index per original, -1 for none.
std::vector<int> Match(const std::vector<Original>& originals, const std::vector<Holder>& holders) {
    std::vector<int> originalAt(holders.size(), -1);
    std::function<bool(size_t, bool, std::vector<bool>&)> place = [&](size_t o, bool letGo, std::vector<bool>& seen) {
        for (size_t h = 0; h < holders.size(); ++h) {
            const Hold hold = Holds(holders[h], originals[o]);
            if (seen[h] || hold == Hold::No || (hold == Hold::LetGo && !letGo)) continue;
            seen[h] = true;
            if (originalAt[h] < 0 || place(static_cast<size_t>(originalAt[h]), letGo, seen)) {
                originalAt[h] = static_cast<int>(o);
                return true;
            }
        }
        return false;
    };
    std::vector<bool> placed(originals.size(), false);
    for (bool letGo : {false, true}) {
        for (size_t o = 0; o < originals.size(); ++o) {
            std::vector<bool> seen(holders.size(), false);
            if (!originals[o].Released && !placed[o]) placed[o] = place(o, letGo, seen);
        }
    }
    std::vector<int> holderOf(originals.size(), -1);
    for (size_t h = 0; h < holders.size(); ++h) {
        if (originalAt[h] >= 0) holderOf[static_cast<size_t>(originalAt[h])] = static_cast<int>(h);
    }
    return holderOf;
}

struct Entry {
    fs::file_type Type = fs::file_type::none;
    std::string Bytes;
    bool operator==(const Entry&) const = default;
};
// Every entry of both drives, by "X:/relative/native/path".
using Tree = std::map<std::string, Entry>;

bool Under(const std::string& key, const std::string& root) { return key.starts_with(root + "/"); }
bool AncestorOrSelf(const std::string& key, const std::string& dir) { return key == dir || Under(dir, key); }

// One case run in one world: builds the mailbox, runs the case's runs in
// order and collects every broken invariant.
class CaseRun {
public:
    CaseRun(testing_support::TestPlatform& platform, sim::OutlookBuilder& b, TOutlookManager& engine, const Case& c)
        : platform_(platform), b_(b), engine_(engine), case_(c) {}

    std::vector<std::string> Run() {
        Build();
        for (size_t i = 0; i < case_.Ops.size() && violations_.empty(); ++i) RunOp(i);
        return violations_;
    }

private:
    enum class HolderKind { Link, Reference };
    struct Deletion {
        std::string Bytes;
        size_t Run;
    };

    // Setting up ------------------------------------------------------------

    void Build() {
        BuildFolder(b_.Store(case_.Store.Name), case_.Store);
        for (const auto& file : case_.Existing) {
            std::u16string dir = file.FolderId == kAtOtherDrive ? OtherDriveRoot(case_) : case_.Target;
            if (file.FolderId >= 0) {
                const auto folder = folders_.find(file.FolderId);
                if (folder == folders_.end()) continue;
                dir += u"\\" + engine_.GetFolderPath(sim::As<Outlook::MAPIFolder>(*folder->second).Get());
            }
            const std::u16string path = dir + u"\\" + file.Name;
            // A directory no file system would make holds no file either.
            if (!platform_.FileSystem().ToNative(path)) continue;
            platform_.WriteFile(path, file.Content);
            if (file.Time) SetFileDateTime(path, EncodeDateTime(*file.Time));
        }
        for (const auto& [id, item] : items_) {
            for (const auto& a : item->SavedAttachments()) {
                const auto& data = a->Data();
                if (data.Type == Outlook::olOLE) {
                    originals_[id].push_back({{}, a, "OLE " + Quoted(data.DisplayName)});
                } else if (data.Type == Outlook::olByValue) {
                    originals_[id].push_back({data.Content, {}, "value " + Quoted(data.FileName)});
                } else if (auto bytes = ReadNow(data.PathName)) {
                    originals_[id].push_back({*bytes, {}, "link to " + ToUtf8(data.PathName)});
                }
            }
        }
    }

    void BuildFolder(sim::MapiFolder& folder, const FolderSpec& plan) {
        folders_[plan.Id] = &folder;
        for (const auto& itemSpec : plan.Items) {
            auto& item = folder.Add(itemSpec.Kind, Subject(itemSpec.Id));
            const auto& t = itemSpec.Created;
            item.Created(t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second).WithBody(itemSpec.Body);
            if (itemSpec.IgnoresBodyWrites) item.IgnoreBodyWrites();
            for (const auto& a : itemSpec.Attachments) {
                if (a.Kind == AttachmentKind::Ole) {
                    item.Ole(a.Name);
                } else if (a.Kind == AttachmentKind::Link) {
                    if (a.LinkedFileExists) platform_.WriteFile(a.Name, a.Content);
                    item.Link(a.Name);
                } else {
                    item.Attach(a.Name, a.Content);
                    auto& data = item.AttachmentAt(item.AttachmentList().Count()).Data();
                    if (!a.SizeKnown) data.Size.reset();
                    if (a.Flags) data.Flags = *a.Flags;
                    data.AnswersIAttachment = a.AnswersMapi;
                }
            }
            items_[itemSpec.Id] = &item;
        }
        for (const auto& sub : plan.Folders) BuildFolder(folder.Folder(sub.Name), sub);
    }

    static std::u16string Subject(int id) { return u"item " + FromUtf8(std::to_string(id)); }

    // One run -----------------------------------------------------------------

    void RunOp(size_t index) {
        const OpSpec& op = case_.Ops[index];
        run_ = index;
        op_ = &op;
        visited_.emplace_back();
        ApplyOptions(op.Options);
        TMailSelection selection;
        sim::Item* mail = nullptr;
        if (!OnFolder(op.Kind) && !Select(op, selection, mail)) return;
        if (OnFolder(op.Kind) && !folders_.count(op.FolderId)) return;
        Monitor(op);
        if (op.Fault) PlanFault(*op.Fault);
        const Tree before = Snapshot();

        std::optional<std::u16string> error;
        try {
            Dispatch(op, selection, mail);
        } catch (const velmora::Exception& e) {
            error = e.Message();
        } catch (const std::exception& e) {
            Violation(std::string("the run ended with a foreign exception: ") + e.what());
        }
        const bool faultHit = ClearFault();
        if (engine_.Busy()) Violation("the engine is still busy after the run");
        CheckCounters();
        if (error && !faultHit && !ExpectedWithoutFault(*error)) {
            Violation("the run failed without an injected failure: " + ToUtf8(*error));
        }
        // A run that fails deletes no file: nothing to let go of.
        if (error) {
            for (auto& [path, deletions] : deleted_) {
                std::erase_if(deletions, [this](const Deletion& d) { return d.Run == run_; });
            }
        }
        CheckWrites(op, before, Snapshot());
        CheckHolders("after the run");
    }

    // Only what changes: every setting written reaches the registry on disk.
    void ApplyOptions(const SaveOptions& o) {
        auto& config = engine_.Config();
        const auto set = [&](auto get, auto put, auto value) {
            if ((config.*get)() != value) (config.*put)(value);
        };
        set(&TOutlookManagerConfig::UseFolderNameAsDir, &TOutlookManagerConfig::SetUseFolderNameAsDir,
            o.UseFolderNameAsDir);
        set(&TOutlookManagerConfig::SaveAttOptions, &TOutlookManagerConfig::SetSaveAttOptions, o.SaveAttOptions);
        set(&TOutlookManagerConfig::IfFileExists, &TOutlookManagerConfig::SetIfFileExists, o.IfFileExists);
        set(&TOutlookManagerConfig::SaveOnlyExtensions, &TOutlookManagerConfig::SetSaveOnlyExtensions, o.Extensions);
        set(&TOutlookManagerConfig::SaveOnlyBiggerThan, &TOutlookManagerConfig::SetSaveOnlyBiggerThan, o.BiggerThan);
        set(&TOutlookManagerConfig::SaveInlineAttachments, &TOutlookManagerConfig::SetSaveInlineAttachments,
            o.SaveInline);
    }

    bool Select(const OpSpec& op, TMailSelection& selection, sim::Item*& mail) {
        std::vector<com::ComPtr<sim::Item>> chosen;
        for (int id : op.Selection) {
            if (!items_.count(id)) continue;
            chosen.emplace_back(items_[id]);
            if (!mail && items_[id]->Kind() == sim::ItemKind::Mail) mail = items_[id];
        }
        if (op.Kind == OpKind::ReintroduceMail) return mail != nullptr;
        b_.MainExplorer().SelectedItems().Assign(std::move(chosen));
        return engine_.GetSelectedItems(selection);
    }

    void Dispatch(const OpSpec& op, TMailSelection& selection, sim::Item* mail) {
        auto folder = [&] { return sim::As<Outlook::MAPIFolder>(*folders_.at(op.FolderId)); };
        const std::u16string oldRoot = case_.Target + u"\\";
        engine_.ResetCounters();
        switch (op.Kind) {
        case OpKind::SaveFolder:
            return engine_.SaveFolder(case_.Target, folder().Get(), op.SubFolders, op.Remove);
        case OpKind::SaveSelection:
            return engine_.SaveSelection(case_.Target, selection, op.Remove);
        case OpKind::ReintroduceFolder:
            return engine_.ReintroduceFolder(folder().Get(), op.SubFolders, op.DeleteFiles);
        case OpKind::ReintroduceSelection:
            return engine_.ReintroduceSelection(selection, op.DeleteFiles);
        case OpKind::ReintroduceMail: {
            TOutlookMailItem wrapper(sim::As<Outlook::_MailItem>(*mail));
            engine_.ReintroduceMail(wrapper, op.DeleteFiles);
            return;
        }
        case OpKind::ReRootFolder:
            return engine_.ReRootFolder(folder().Get(), op.SubFolders, oldRoot, NewRoot(case_, op));
        case OpKind::ReRootSelection:
            return engine_.ReRootSelection(selection, oldRoot, NewRoot(case_, op));
        }
    }

    // A run that no injected failure touched may still end for these reasons.
    bool ExpectedWithoutFault(const std::u16string& error) {
        // A link into the old root whose file is gone cannot be moved.
        if (IsReRoot(op_->Kind) && error.starts_with(u"Error moving file from ")) return true;
        // An item that ignores body writes cannot take a body reference.
        if (error.starts_with(u"Error changing body of message: ")) return true;
        // A file in the way of a directory: an attachment saved under the name
        // a sub-folder's directory takes later.
        static const std::u16string creating = u"Error creating directory: ";
        const size_t at = error.find(creating);
        if (at == std::u16string::npos) return false;
        const std::u16string dir = error.substr(at + creating.size());
        for (size_t end = dir.find(u'\\'); end != std::u16string::npos; end = dir.find(u'\\', end + 1)) {
            if (platform_.FileSystem().FileExists(dir.substr(0, end))) return true;
        }
        return platform_.FileSystem().FileExists(dir);
    }

    // Failures ----------------------------------------------------------------

    void PlanFault(const FaultSpec& f) {
        sim::FaultPlan* plan = nullptr;
        const char* operation = "";
        const auto item = items_.find(f.ItemId);
        const auto folder = folders_.find(f.FolderId);
        switch (f.Target) {
        case FaultTarget::SaveAsFile:
        case FaultTarget::FileName: {
            if (item == items_.end() || item->second->CurrentAttachments().empty()) return;
            const auto& list = item->second->CurrentAttachments();
            faultyAttachment_ = list[static_cast<size_t>(f.AttachmentIndex - 1) % list.size()];
            plan = &faultyAttachment_->Faults();
            operation = f.Target == FaultTarget::SaveAsFile ? "SaveAsFile" : "FileName";
            break;
        }
        case FaultTarget::Save:
        case FaultTarget::Add:
        case FaultTarget::Remove:
            if (item == items_.end()) return;
            plan = f.Target == FaultTarget::Save ? &item->second->Faults() : &item->second->AttachmentList().Faults();
            operation = f.Target == FaultTarget::Save ? "Save" : f.Target == FaultTarget::Add ? "Add" : "Remove";
            break;
        case FaultTarget::FolderItems:
        case FaultTarget::FolderItem:
            if (folder == folders_.end()) return;
            plan = f.Target == FaultTarget::FolderItems ? &folder->second->Faults()
                                                        : &folder->second->ItemCollection().Faults();
            operation = f.Target == FaultTarget::FolderItems ? "Items" : "Item";
            break;
        }
        faultCall_ = plan->Calls(operation) + f.CallOffset;
        plan->FailOnCall(operation, faultCall_, E_FAIL, u"Injected failure");
        fault_ = plan;
        faultOperation_ = operation;
    }

    // Forgets the planned failure; whether the run reached it.
    bool ClearFault() {
        if (!fault_) return false;
        const bool hit = fault_->Calls(faultOperation_) >= faultCall_;
        fault_->Clear();
        fault_ = nullptr;
        faultyAttachment_.Reset();
        return hit;
    }

    // Callbacks ---------------------------------------------------------------

    void Monitor(const OpSpec& op) {
        events_ = 0;
        counters_ = {0, 0, 0};
        savedKeys_.clear();
        overwrittenKeys_.clear();
        deletedKeys_.clear();
        movedKeys_.clear();
        destinationExists_.clear();
        engine_.OnProcessFolder = [this](TOutlookManager&, const std::u16string&) {
            Event("a folder");
        };
        engine_.OnProcessMail = [this](TOutlookManager&, const std::u16string& subject) {
            current_ = std::stoi(ToUtf8(subject.substr(5)));
            visited_.back().insert(current_);
            Event("item " + std::to_string(current_));
        };
        engine_.OnProcessAttachment = [this](TOutlookManager&, const std::u16string&) { Count(); };
        engine_.OnAttachmentStatus = [this](TOutlookManager&, const std::u16string& file, const std::u16string& dir,
                                            TAttachmentStatus status) {
            Status(file, dir, status);
            Event("status " + std::to_string(status) + " " + ToUtf8(file));
        };
        engine_.OnFileExists = nullptr;
        if (op.Options.Answer) {
            engine_.OnFileExists = [answer = *op.Options.Answer, this](TOutlookManager&, const std::u16string&,
                                                                      const std::u16string&, std::uint8_t& value) {
                Count();
                value = answer;
            };
        }
    }

    void Count() {
        ++events_;
        CheckCounters();
        if (op_->CancelAfter && events_ == *op_->CancelAfter) engine_.Cancel();
    }

    void Event(const std::string& what) {
        Count();
        CheckHolders("at event " + std::to_string(events_) + " (" + what + ")");
    }

    void CheckCounters() {
        const std::array<std::int32_t, 3> now = {engine_.FolderCount(), engine_.MessageCount(),
                                                 engine_.AttachmentCount()};
        for (size_t i = 0; i < now.size(); ++i) {
            if (now[i] < counters_[i]) Violation("a counter went down from " + std::to_string(counters_[i]) + " to " +
                                                 std::to_string(now[i]));
        }
        counters_ = now;
    }

    // What the run reports: written, overwritten, reintroduced and moved files.
    void Status(const std::u16string& file, const std::u16string& dir, TAttachmentStatus status) {
        const std::u16string joined = dir + file;
        switch (status) {
        case asSaved:
        case asIdenticalFile:
            if (auto key = KeyOf(file); key && status == asSaved) savedKeys_.insert(*key);
            if (op_->Remove && op_->Options.SaveAttOptions == 2) dropped_[current_].push_back(file);
            break;
        case asOverwriting:
            if (auto key = KeyOf(file)) overwrittenKeys_.insert(*key);
            if (auto bytes = ReadNow(file)) overwritten_[UpperCase(file)].push_back(*bytes);
            break;
        case asReintroduced:
            if (!op_->DeleteFiles) break;
            if (auto key = KeyOf(joined)) deletedKeys_.insert(*key);
            if (auto bytes = ReadNow(joined)) deleted_[UpperCase(joined)].push_back({*bytes, run_});
            break;
        case asDestinationExists:
            destinationExists_ = UpperCase(file);
            break;
        case asLinkMoved:
            if (destinationExists_ != UpperCase(joined)) {
                const std::u16string newRoot = NewRoot(case_, *op_);
                moves_[UpperCase(case_.Target + u"\\" + joined.substr(newRoot.size()))] = joined;
                if (auto key = KeyOf(joined)) movedKeys_.insert(*key);
            }
            destinationExists_.clear();
            break;
        default:
            break;
        }
    }

    // Invariant: every attachment is in its item or in a file its item names -

    void CheckHolders(const std::string& when) {
        if (!violations_.empty()) return;
        cache_.clear();
        for (const auto& [id, item] : items_) {
            auto& originals = originals_[id];
            if (originals.empty()) continue;
            const auto holders = HoldersOf(id, *item);
            const auto holderOf = Match(originals, holders);
            std::string lost;
            for (size_t o = 0; o < originals.size(); ++o) {
                if (originals[o].Released) continue;
                if (holderOf[o] < 0) {
                    lost += " [" + originals[o].Text + ", " + Show(originals[o].Bytes) + "]";
                } else if (Holds(holders[static_cast<size_t>(holderOf[o])], originals[o]) == Hold::LetGo) {
                    originals[o].Released = true;
                }
            }
            if (lost.empty()) continue;
            std::string text = "item " + std::to_string(id) + " lost, " + when + ":" + lost + "; it holds:";
            for (const auto& h : holders) text += " [" + h.Text + "]";
            Violation(text);
        }
    }

    std::vector<Holder> HoldersOf(int id, sim::Item& item) {
        std::vector<Holder> holders;
        auto onDisk = [&](const std::u16string& path, HolderKind kind, const std::string& what) {
            Holder h{{}, {}, nullptr, what + " " + ToUtf8(path)};
            Resolve(path, id, kind, 0, h);
            for (const auto& bytes : h.Live) h.Text += " (" + Show(bytes) + ")";
            for (const auto& bytes : h.LetGo) h.Text += " (let go: " + Show(bytes) + ")";
            holders.push_back(std::move(h));
        };
        for (const auto& a : item.SavedAttachments()) {
            const auto& data = a->Data();
            if (data.Type == Outlook::olOLE) {
                holders.push_back({{}, {}, a.Get(), "OLE"});
            } else if (data.Type == Outlook::olByReference) {
                onDisk(data.PathName, HolderKind::Link, "link");
            } else {
                holders.push_back({{data.Content}, {}, nullptr, "value " + Show(data.Content)});
            }
        }
        for (const auto& path : BodyReferences(item.SavedBody(), platform_.FileSystem())) {
            onDisk(path, HolderKind::Reference, "reference");
        }
        for (const auto& path : dropped_[id]) onDisk(path, HolderKind::Reference, "dropped to");
        return holders;
    }

    // What a path stands for: what its file holds now, or where a re-root
    // moved it; and what the user let go of there: bytes they had overwritten,
    // or a file deleted after it was reintroduced (except for a link that the
    // deleting run visited and left in place: the run knew of it).
    void Resolve(const std::u16string& path, int item, HolderKind kind, int depth, Holder& holder) {
        if (auto now = Read(path)) holder.Live.push_back(*now);
        const std::u16string key = UpperCase(path);
        for (const auto& old : overwritten_[key]) holder.LetGo.push_back(old);
        for (const auto& deletion : deleted_[key]) {
            if (kind == HolderKind::Reference || !visited_[deletion.Run].count(item)) {
                holder.LetGo.push_back(deletion.Bytes);
            }
        }
        if (auto moved = moves_.find(key); moved != moves_.end() && depth < 8) {
            Resolve(moved->second, item, kind, depth + 1, holder);
        }
    }

    // Invariant: nothing written outside the run's tree ----------------------

    Tree Snapshot() const {
        Tree tree;
        for (char drive : {'C', 'D'}) {
            const fs::path root = platform_.DrivePath(static_cast<char16_t>(drive));
            for (const auto& entry : fs::recursive_directory_iterator(root)) {
                Entry e{entry.symlink_status().type(), {}};
                if (e.Type == fs::file_type::regular) e.Bytes = *ReadNative(entry.path());
                tree[std::string(1, drive) + ":/" + entry.path().lexically_relative(root).generic_string()] = e;
            }
        }
        return tree;
    }

    void CheckWrites(const OpSpec& op, const Tree& before, const Tree& after) {
        const std::string target = KeyOf(case_.Target).value_or("?");
        const std::string newRoot = KeyOf(NewRoot(case_, op)).value_or("?");
        for (const auto& [key, entry] : after) {
            const auto old = before.find(key);
            if (old != before.end() && old->second == entry) continue;
            const bool file = entry.Type == fs::file_type::regular;
            if (!file && entry.Type != fs::file_type::directory) {
                Violation("not a file nor a directory: " + key);
                continue;
            }
            const bool added = old == before.end();
            if (added && !WindowsAcceptsKey(key)) Violation("a name Windows refuses: " + key);
            bool allowed = false;
            if (IsSave(op.Kind)) {
                allowed = !file ? added && (Under(key, target) || AncestorOrSelf(key, target))
                                : Under(key, target) && (added ? savedKeys_ : overwrittenKeys_).count(key) > 0;
            } else if (IsReRoot(op.Kind)) {
                allowed = added && (file ? movedKeys_.count(key) > 0 && Under(key, newRoot)
                                         : Under(key, newRoot) || AncestorOrSelf(key, newRoot));
            }
            if (!allowed) Violation(std::string(added ? "written" : "changed") + " without a report: " + key);
        }
        for (const auto& [key, entry] : before) {
            if (after.count(key)) continue;
            const bool allowed = entry.Type == fs::file_type::regular &&
                                 (IsReRoot(op.Kind) ? Under(key, target) : deletedKeys_.count(key) > 0);
            if (!allowed) Violation("removed without a report: " + key);
        }
    }

    static bool WindowsAcceptsKey(const std::string& key) {
        for (const auto& part : fs::path(key.substr(3))) {
            if (!WindowsAcceptsName(FromUtf8(part.string()))) return false;
        }
        return true;
    }

    // Files -------------------------------------------------------------------

    std::optional<std::string> KeyOf(const std::u16string& windowsPath) const {
        const auto native = platform_.FileSystem().ToNative(windowsPath);
        if (!native) return std::nullopt;
        for (char drive : {'C', 'D'}) {
            const fs::path relative = native->lexically_relative(platform_.DrivePath(static_cast<char16_t>(drive)));
            if (!relative.empty() && *relative.begin() != "..") {
                return std::string(1, drive) + ":/" + relative.generic_string();
            }
        }
        return std::nullopt;
    }

    std::optional<std::string> ReadNow(const std::u16string& windowsPath) const {
        const auto native = platform_.FileSystem().ToNative(windowsPath);
        return native ? ReadNative(*native) : std::nullopt;
    }

    // Within one check, where nothing changes on disk.
    std::optional<std::string> Read(const std::u16string& windowsPath) {
        auto cached = cache_.find(windowsPath);
        if (cached == cache_.end()) cached = cache_.emplace(windowsPath, ReadNow(windowsPath)).first;
        return cached->second;
    }

    void Violation(std::string text) {
        violations_.push_back("run " + std::to_string(run_ + 1) + ": " + std::move(text));
    }

    testing_support::TestPlatform& platform_;
    sim::OutlookBuilder& b_;
    TOutlookManager& engine_;
    const Case& case_;

    std::map<int, sim::MapiFolder*> folders_;
    std::map<int, sim::Item*> items_;
    std::map<int, std::vector<Original>> originals_;

    size_t run_ = 0;
    const OpSpec* op_ = nullptr;
    int current_ = 0;
    int events_ = 0;
    std::array<std::int32_t, 3> counters_{};
    std::vector<std::set<int>> visited_;  // item ids, per run

    sim::FaultPlan* fault_ = nullptr;
    const char* faultOperation_ = "";
    int faultCall_ = 0;
    com::ComPtr<sim::Attachment> faultyAttachment_;

    // Reported by this run, as snapshot keys.
    std::set<std::string> savedKeys_, overwrittenKeys_, deletedKeys_, movedKeys_;
    std::u16string destinationExists_;
    // Kept over all runs, by upper-cased Windows path.
    std::map<std::u16string, std::vector<std::string>> overwritten_;
    std::map<std::u16string, std::vector<Deletion>> deleted_;
    std::map<std::u16string, std::u16string> moves_;
    std::map<int, std::vector<std::u16string>> dropped_;  // files of attachments removed without a trace

    std::map<std::u16string, std::optional<std::string>> cache_;
    std::vector<std::string> violations_;
};

// A world of its own, set up as the engine fixture sets up its own.
struct FreshWorld {
    FreshWorld() {
        testing_support::InstallMapiProvider(platform.Registry());
        engine.Connect(b.App().Identity());
    }
    testing_support::TestPlatform platform;
    sim::OutlookBuilder b;
    TOutlookManager engine;
};

std::vector<std::string> RunFresh(const Case& c) {
    FreshWorld world;
    return CaseRun(world.platform, world.b, world.engine, c).Run();
}

// Shrinking: smaller variants of a failing case ------------------------------

void RemoveFolder(FolderSpec& root, int id) {
    ForEachFolder(root, [id](FolderSpec& f) {
        std::erase_if(f.Folders, [id](const FolderSpec& sub) { return sub.Id == id; });
    });
}

std::vector<Case> Smaller(const Case& c) {
    std::vector<Case> smaller;
    auto with = [&](const std::function<void(Case&)>& change) {
        Case variant = c;
        change(variant);
        smaller.push_back(std::move(variant));
    };
    for (size_t i = 0; i < c.Ops.size() && c.Ops.size() > 1; ++i) with([i](Case& v) { v.Ops.erase(v.Ops.begin() + i); });
    std::vector<int> folders;
    std::vector<int> items;
    std::vector<std::pair<int, size_t>> attachments;
    ForEachFolder(c.Store, [&](const FolderSpec& f) {
        if (f.Id != c.Store.Id) folders.push_back(f.Id);
        for (const auto& item : f.Items) {
            items.push_back(item.Id);
            for (size_t a = 0; a < item.Attachments.size(); ++a) attachments.emplace_back(item.Id, a);
        }
    });
    for (int id : folders) with([id](Case& v) { RemoveFolder(v.Store, id); });
    auto onItem = [](Case& v, int id, const std::function<void(std::vector<ItemSpec>&, size_t)>& change) {
        ForEachFolder(v.Store, [&](FolderSpec& f) {
            for (size_t i = 0; i < f.Items.size(); ++i) {
                if (f.Items[i].Id == id) return change(f.Items, i);
            }
        });
    };
    for (int id : items) {
        with([&](Case& v) { onItem(v, id, [](auto& list, size_t i) { list.erase(list.begin() + i); }); });
    }
    for (const auto& [id, a] : attachments) {
        with([&, id = id, a = a](Case& v) {
            onItem(v, id, [a](auto& items, size_t i) { items[i].Attachments.erase(items[i].Attachments.begin() + a); });
        });
    }
    for (size_t i = 0; i < c.Existing.size(); ++i) with([i](Case& v) { v.Existing.erase(v.Existing.begin() + i); });
    for (size_t i = 0; i < c.Ops.size(); ++i) {
        if (c.Ops[i].Fault) with([i](Case& v) { v.Ops[i].Fault.reset(); });
        if (c.Ops[i].CancelAfter) with([i](Case& v) { v.Ops[i].CancelAfter.reset(); });
        for (size_t s = 0; s < c.Ops[i].Selection.size() && c.Ops[i].Selection.size() > 1; ++s) {
            with([i, s](Case& v) { v.Ops[i].Selection.erase(v.Ops[i].Selection.begin() + s); });
        }
    }
    return smaller;
}

// The smallest variant found that still breaks an invariant, with what it breaks.
std::pair<Case, std::vector<std::string>> Shrink(Case c, std::vector<std::string> violations) {
    int budget = 200;
    for (bool progress = true; progress && budget > 0;) {
        progress = false;
        for (auto& variant : Smaller(c)) {
            if (--budget < 0) break;
            if (auto found = RunFresh(variant); !found.empty()) {
                c = std::move(variant);
                violations = std::move(found);
                progress = true;
                break;
            }
        }
    }
    return {c, violations};
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += "  " + line + "\n";
    return text;
}

class EngineProperty : public engine_test::EngineTest, public ::testing::WithParamInterface<std::uint64_t> {};

TEST_P(EngineProperty, NoAttachmentIsLostAndNothingIsWrittenOutsideTheRunsTree) {
    const Case c = MakeCase(GetParam());
    const auto violations = CaseRun(platform, b, engine, c).Run();
    if (violations.empty()) return;
    const auto [shrunk, shrunkViolations] = Shrink(c, violations);
    ADD_FAILURE() << "Case:\n" << Describe(c) << "broke:\n" << Lines(violations) << "Shrunk to:\n"
                  << Describe(shrunk) << "which breaks:\n" << Lines(shrunkViolations);
}

std::string SeedName(const ::testing::TestParamInfo<std::uint64_t>& info) {
    return "Seed" + std::to_string(info.param);
}

INSTANTIATE_TEST_SUITE_P(EngineProperty, EngineProperty, ::testing::ValuesIn(Seeds()), SeedName);

}  // namespace
