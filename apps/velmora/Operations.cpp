#include "velmora/Operations.h"

#include <filesystem>
#include <iostream>
#include <memory>

#include "base/Format.h"
#include "base/Utf16.h"
#include "base/VisibleText.h"
#include "engine/uOutlookManager.h"
#include "velmora/CatalogReport.h"
#include "velmora/InterruptSignal.h"
#include "velmora/MapiRegistration.h"
#include "velmora/NativePaths.h"
#include "velmora/OpenedStore.h"
#include "velmora/ProgramPlatform.h"
#include "velmora/RunOptions.h"
#include "velmora/TerminalLog.h"

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

// What a run works on: a folder (with or without its sub-folders) or a selection.
struct Target {
    com::ComPtr<Outlook::MAPIFolder> folder;
    TMailSelection selection;
    std::int32_t itemCount = 0;
};

std::int32_t CountItems(Outlook::MAPIFolder& folder, bool subFolders) {
    std::int32_t count = folder.Items()->Count();
    if (!subFolders) return count;
    auto folders = folder.Folders();
    for (std::int32_t i = 1; i <= folders->Count(); ++i) count += CountItems(*folders->Item(i), true);
    return count;
}

// Names, paths and messages that may come from a mailbox, with their control characters shown escaped.
std::string Shown(std::u16string_view text) { return ToUtf8(VisibleControls(text)); }
std::string Shown(std::string_view utf8) { return Shown(FromUtf8(utf8)); }

// What the store has to say: warnings always, and with verbose the
// messages it rewrote and where they went.
void PrintWarnings(OpenedStore& mailbox, std::ostream& err, bool verbose) {
    for (const auto& line : mailbox.TakeWarnings()) err << "velmora: " << Shown(line) << "\n";
    const auto notes = mailbox.TakeNotes();
    if (!verbose) return;
    for (const auto& line : notes) err << "velmora: " << Shown(line) << "\n";
}

Target ResolveTarget(const Request& request, OpenedStore& mailbox, bool subFolders, std::ostream& err) {
    Target target;
    if (request.messages.empty()) {
        target.folder = mailbox.FindFolder(FromUtf8(request.folder));
        if (!target.folder) {
            throw Exception(Format(u"No folder \"%s\" in the mailbox %s",
                                   {FromUtf8(request.folder), FromUtf8(request.mailbox)}));
        }
        target.itemCount = CountItems(*target.folder, subFolders);
        return target;
    }
    for (const auto& file : request.messages) {
        auto item = mailbox.OpenMessage(fs::path(file));
        auto wrapper = item ? TOutlookItemFactory::CreateItem(item.Get()) : nullptr;
        if (!item) {
            err << "velmora: Skipping " << Shown(file) << ": not a message file of the mailbox "
                << Shown(request.mailbox) << "\n";
        } else if (!wrapper || !wrapper->Initialized()) {
            err << "velmora: Skipping " << Shown(file)
                << ": not a mail message, appointment, meeting request or task\n";
        } else {
            target.selection.push_back(std::move(wrapper));
        }
    }
    PrintWarnings(mailbox, err, request.verbose);
    if (target.selection.empty()) throw Exception(u"No message selected");
    target.itemCount = static_cast<std::int32_t>(target.selection.size());
    return target;
}

void RequireMapi(const ProgramPlatform& platform, std::ostream& err) {
    const auto problems = MapiProblems();
    if (problems.empty()) return;
    err << "velmora: the MAPI provider is not usable, so attachment sizes and inline images cannot be read:\n";
    for (const auto& problem : problems) err << "  - " << Shown(problem) << "\n";
    err << "  (registry hives: user " << platform.Hives().user.string() << ", machine "
        << platform.Hives().machine.string() << ")\n"
        << "Run \"velmora install\" to register it (as root: for every user of this machine; otherwise for you\n"
        << "alone), or add --without-mapi to save with every size unknown and no image inline.\n";
    throw Exception(u"The MAPI provider is not registered");
}

void RunEngine(const Request& request, TOutlookManager& engine, Target& target, const ProgramPlatform& platform) {
    auto& config = engine.Config();
    const bool subFolders = config.LastProcessSubFolders();
    switch (request.operation) {
        case Operation::Save:
            if (target.folder) {
                engine.SaveFolder(config.LastToDir(), target.folder.Get(), subFolders, config.LastRemoveAfterSaving());
            } else {
                engine.SaveSelection(config.LastToDir(), target.selection, config.LastRemoveAfterSaving());
            }
            break;
        case Operation::Reintroduce:
            if (target.folder) {
                engine.ReintroduceFolder(target.folder.Get(), subFolders, config.DeleteReintrFile());
            } else {
                engine.ReintroduceSelection(target.selection, config.DeleteReintrFile());
            }
            break;
        case Operation::ReRoot: {
            const Roots roots = ReRootRoots(request, config, platform.Drives());
            if (target.folder) {
                engine.ReRootFolder(target.folder.Get(), subFolders, roots.oldRoot, roots.newRoot);
            } else {
                engine.ReRootSelection(target.selection, roots.oldRoot, roots.newRoot);
            }
            break;
        }
        case Operation::CatalogAdopt: {
            const std::u16string root = ToEnginePath(request.adoptRoot, platform.Drives());
            if (target.folder) {
                engine.AdoptFolder(target.folder.Get(), subFolders, root);
            } else {
                engine.AdoptSelection(target.selection, root);
            }
            break;
        }
        case Operation::Install:
        case Operation::CatalogList:
        case Operation::CatalogCheck: break;
    }
}

int RunOperation(const Request& request, std::ostream& err) {
    ProgramPlatform platform(request, err);
    TOutlookManager engine;
    ApplyOptions(request, engine.Config(), platform.Drives());
    auto mailbox = OpenStore(request);
    engine.Connect(mailbox->Application().Get());
    if (!engine.Connected()) throw Exception(u"Error connecting to Outlook application");
    if (request.operation == Operation::Save && !request.withoutMapi) RequireMapi(platform, err);
    Target target = ResolveTarget(request, *mailbox, engine.Config().LastProcessSubFolders(), err);

    TerminalOutput output = TerminalOutput::ForStandardOutput();
    TerminalQuestion question(std::cin, output);
    TerminalLog log(output, question, &InterruptScope::Requested);
    InterruptScope interrupt;
    log.AttachEngine(&engine);
    log.Start(target.itemCount);
    engine.ResetCounters();
    try {
        RunEngine(request, engine, target, platform);
    } catch (...) {
        log.Finish();
        mailbox->Finish();
        PrintWarnings(*mailbox, err, request.verbose);
        TOutlookManager::ClearSelection(target.selection);
        throw;
    }
    log.Finish();
    mailbox->Finish();
    PrintWarnings(*mailbox, err, request.verbose);
    TOutlookManager::ClearSelection(target.selection);
    mailbox->CheckAfterRun();
    if (InterruptScope::Requested()) {
        err << "velmora: Cancelled.\n";
        return kExitCancelled;
    }
    return kExitDone;
}

int Install(const Request& request) {
    const posix::HiveFiles hives = posix::HiveFiles::FromEnvironment();
    posix::SqliteRegistry registry(hives);
    const std::string library = fs::absolute(request.providerPath).lexically_normal().string();
    switch (InstallMapiProvider(registry, FromUtf8(library))) {
        case InstallPlace::Machine:
            std::cout << "Registered the MAPI provider " << library << " for every user of this machine\n"
                      << "(HKEY_LOCAL_MACHINE in " << hives.machine.string() << ").\n";
            break;
        case InstallPlace::CurrentUser:
            std::cout << "Registered the MAPI provider " << library << " for you alone: the machine's hive "
                      << hives.machine.string() << "\nmay not be written, so it went to HKEY_CURRENT_USER\\"
                      << ToUtf8(kVirtualStoreKey) << " in " << hives.user.string() << ".\n";
            break;
    }
    return kExitDone;
}

int ReportCatalog(const Request& request, std::ostream& err) {
    ProgramPlatform platform(request, err);
    if (request.operation == Operation::CatalogList) {
        ListCatalog(std::cout, platform.Drives());
        return kExitDone;
    }
    return CheckCatalog(std::cout, platform.Drives()) ? kExitDone : kExitFailed;
}

}  // namespace

int Execute(const Request& request, std::ostream& err) {
    try {
        switch (request.operation) {
            case Operation::Install: return Install(request);
            case Operation::CatalogList:
            case Operation::CatalogCheck: return ReportCatalog(request, err);
            default: return RunOperation(request, err);
        }
    } catch (const Exception& error) {
        err << "velmora: " << Shown(ErrorText(error.Message())) << "\n";
    } catch (const std::exception& error) {
        err << "velmora: " << Shown(ErrorText(FromUtf8(error.what()))) << "\n";
    }
    return kExitFailed;
}

}  // namespace velmora::cli
