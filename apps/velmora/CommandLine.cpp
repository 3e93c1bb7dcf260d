#include "velmora/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <map>

#include "base/Utf16.h"
#include "imapstore/AccountUrl.h"
#include "velmora/ExtensionList.h"

namespace velmora::cli {

namespace {

constexpr char kFooter[] = R"(Paths may be given in native form (/home/me/Attachments; relative ones from the current
directory) or as Windows paths on the program's drives. The engine works with Windows paths: C: and D:
are directories under ~/.local/share/velmora/drives (VELMORA_DRIVES="C=/srv/c;D=/mnt/d" maps others), and
Z: is the whole native file system "/", so /home/me/Attachments is Z:\home\me\Attachments in the log and
in the links written. Options left out take the stored settings (the registry's user hive,
~/.config/velmora/user-registry.db or VELMORA_USER_REGISTRY); --store-settings stores those given.
Exit status: 0 done, 1 failed (the error is printed), 2 wrong usage, 130 cancelled by Ctrl-C.)";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The stored setting is a count of KB that a signed 32-bit value holds; a
// negative one would be stored as a huge unsigned number.
constexpr std::int32_t kLargestMinimumSizeKb = std::numeric_limits<std::int32_t>::max();

std::optional<std::int32_t> MinimumSizeKb(const std::string& text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || text.empty() || value < 0) return std::nullopt;
    return value;
}

std::string MinimumSizeProblem(const std::string& typed) {
    if (MinimumSizeKb(typed)) return {};
    return "Invalid minimum size \"" + typed + "\": give a whole number of KB from 0 to " +
           std::to_string(kLargestMinimumSizeKb);
}

// A directory of blanks is never what was meant: it would be created as such.
std::string BlankDirectoryProblem(const std::string& typed) {
    return Trim(FromUtf8(typed)).empty() ? "A directory name of blanks names no directory" : std::string();
}

const CLI::Validator kNotBlank(BlankDirectoryProblem, "DIR");

// A choice of words mapped onto the stored numbers, letter case ignored.
CLI::Option* AddChoice(CLI::App& command, const std::string& name, const std::map<std::string, std::uint8_t>& choices,
                       std::optional<std::uint8_t>& target, const std::string& description) {
    std::vector<std::string> words;
    for (const auto& [word, value] : choices) words.push_back(word);
    return command
        .add_option_function<std::string>(
            name, [&target, choices](const std::string& word) { target = choices.at(Lower(word)); }, description)
        ->check(CLI::IsMember(words, CLI::ignore_case));
}

}  // namespace

// A switch "--name" with its opposite "--no-name", which the help names in the
// description instead of listing it.
CLI::Option* CommandLine::AddSwitch(CLI::App& command, const std::string& name, std::optional<bool>& target,
                                    const std::string& description) {
    auto* on = command.add_flag_callback(
        "--" + name, [&target] { target = true; }, description + "; --no-" + name + " for the opposite");
    auto* off = command.add_flag_callback("--no-" + name, [&target] { target = false; })->group("");
    switches_.emplace_back(on, off);
    return on;
}

CommandLine::CommandLine(std::string providerPath)
    : app_("Takes attachments out of the messages of a mailbox and keeps them as files; puts them back; "
           "moves the files that links point to.",
           "velmora") {
    request_.providerPath = std::move(providerPath);
    app_.footer(kFooter);
    app_.set_version_flag("--version", "velmora 2.1");
    app_.require_subcommand(1);
    AddSaveCommand();
    AddReintroduceCommand();
    AddReRootCommand();
    AddInstallCommand();
    AddCatalogCommand();
}

void CommandLine::AddTargetOptions(CLI::App& command) {
    command
        .add_option("--mailbox", request_.mailbox,
                    "The mailbox: a directory (a tree of Maildir folders), or an IMAP account as "
                    "imap://user@host[:port]/ (STARTTLS) or imaps://user@host[:port]/ (TLS)")
        ->required();
    command.add_option("--password-file", request_.passwordFile,
                       "IMAP: a file whose first line is the password (otherwise VELMORA_IMAP_PASSWORD, or the "
                       "terminal asks)")
        ->check(CLI::ExistingFile);
    command.add_option("--ca-file", request_.caFile,
                       "IMAP: the certificate authorities (PEM) to trust instead of the system's")
        ->check(CLI::ExistingFile);
    auto* folder = command.add_option("--folder", request_.folder,
                                      "The folder to process, below the mailbox: Inbox/Sub (default: all of it)");
    auto* subFolders = AddSwitch(command, "subfolders", request_.subFolders,
                                 "Process the folder's sub-folders too (stored: LastProcessSubFolders)");
    auto* messages = command.add_option("messages", request_.messages,
                                        "Message files of the mailbox to process instead of a folder");
    messages->excludes(folder)->excludes(subFolders);
    command.add_flag("--store-settings", request_.storeSettings,
                     "Store the options given as the defaults of later runs, as the dialog's OK does");
    command.add_flag("--no-wait", request_.noWait,
                     "Fail at once when another run works on the mailbox or the target directory, "
                     "instead of waiting for it to finish");
    command.add_flag("-v,--verbose", request_.verbose, "Also tell which message files were renamed when rewritten");
}

void CommandLine::AddSaveCommand() {
    auto& save = *app_.add_subcommand("save", "Save attachments to files, optionally removing them from the messages");
    save.callback([this] { request_.operation = Operation::Save; });
    AddTargetOptions(save);
    save.add_option_function<std::string>(
            "-t,--to", [this](const std::string& directory) { request_.targetDirectory = directory; },
            "The directory to save into (stored: LastToDir)")
        ->check(kNotBlank);
    AddSwitch(save, "remove", request_.remove,
              "Remove each saved attachment from its message (stored: LastRemoveAfterSaving)");
    AddChoice(save, "--replace", {{"link", 0}, {"body", 1}, {"none", 2}}, request_.replaceMode,
              "What replaces a removed attachment: link (a link attachment to the file), body (a reference put "
              "in front of the body) or none (stored: SaveAttOptions)");
    save.add_option_function<std::string>(
        "--extensions",
        [this](const std::string& typed) { request_.extensions = NormaliseExtensionList(FromUtf8(typed)); },
        "Save only these extensions, e.g. \"pdf, doc\" (stored as .pdf;.doc); \"\" for all "
        "(stored: SaveOnlyExtensions)");
    save.add_option_function<std::string>(
            "--min-size", [this](const std::string& typed) { request_.minimumSizeKb = MinimumSizeKb(typed); },
            "Save only attachments of at least this many KB; 0 for all (stored: SaveOnlyBiggerThan)")
        ->check(CLI::Validator(MinimumSizeProblem, "KB"));
    AddSwitch(save, "inline-images", request_.inlineImages,
              "Save images that sit inside the message body too (stored: SaveInlineAttachments)");
    AddChoice(save, "--if-exists", {{"rename", 0}, {"overwrite", 1}, {"ask", 2}}, request_.ifExists,
              "When the file exists: rename (add a number), overwrite, or ask on the terminal "
              "(stored: IfFileExists)");
    AddSwitch(save, "folder-dirs", request_.folderDirectories,
              "Save into sub-directories that reproduce the folder tree (stored: UseFolderNameAsDir)");
    save.add_flag("--without-mapi", request_.withoutMapi,
                  "Save even when the MAPI provider is not registered: every size then counts as unknown and "
                  "no image as inline");
    save.add_flag("--include-signed", request_.includeSigned,
                  "Also take attachments out of signed messages, which are left as they are otherwise: their "
                  "signature goes with the change, since it would no longer verify (encrypted messages are "
                  "always left as they are)");
}

void CommandLine::AddReintroduceCommand() {
    auto& reintroduce =
        *app_.add_subcommand("reintroduce", "Put the files that link attachments point to back into the messages");
    reintroduce.callback([this] { request_.operation = Operation::Reintroduce; });
    AddTargetOptions(reintroduce);
    AddSwitch(reintroduce, "delete-files", request_.deleteFiles,
              "Delete the files once they are back in the messages (stored: DeleteReintrFile)");
}

void CommandLine::AddReRootCommand() {
    auto& reroot = *app_.add_subcommand(
        "reroot", "Move the files that link attachments point to from an old root directory to a new one, "
                  "and point the links there");
    reroot.callback([this] { request_.operation = Operation::ReRoot; });
    AddTargetOptions(reroot);
    reroot.add_option_function<std::string>(
            "--old-root", [this](const std::string& directory) { request_.oldRoot = directory; },
            "The root the links point under now (default: the stored LastToDir)")
        ->check(kNotBlank);
    reroot.add_option("--new-root", request_.newRoot, "The root to move the files and links to (created if missing)")
        ->required()
        ->check(kNotBlank);
}

void CommandLine::AddInstallCommand() {
    auto& install = *app_.add_subcommand(
        "install", "Register the MAPI provider library in the registry as a mail client's installer does "
                   "(the machine's hive; without the right to write it, the current user's virtual store)");
    install.callback([this] { request_.operation = Operation::Install; });
    install.add_option("--provider", request_.providerPath, "The provider library to register")
        ->capture_default_str()
        ->check(CLI::ExistingFile);
}

void CommandLine::AddCatalogCommand() {
    auto& catalog = *app_.add_subcommand(
        "catalog", "The catalog of saved files: the files that links and body references name, which "
                   "reintroduce, reroot and the send check follow and nothing else");
    catalog.require_subcommand(1);
    catalog.add_subcommand("list", "List every saved file the catalog records, with the message that refers to it")
        ->callback([this] { request_.operation = Operation::CatalogList; });
    catalog
        .add_subcommand("check", "Check that every recorded file is still there with the bytes saved; exit 1 when "
                                 "one is missing or changed")
        ->callback([this] { request_.operation = Operation::CatalogCheck; });
    auto& adopt = *catalog.add_subcommand(
        "adopt", "Record the links of a mailbox that an earlier version or another machine made, for the files "
                 "below a root you name; each file must be a regular file there");
    adopt.callback([this] { request_.operation = Operation::CatalogAdopt; });
    AddTargetOptions(adopt);
    adopt.add_option("--root", request_.adoptRoot, "The directory the links' files are below")->required();
}

Request CommandLine::Parse(int argc, const char* const* argv) {
    app_.parse(argc, argv);
    for (const auto& [on, off] : switches_) {
        if (on->count() > 0 && off->count() > 0) throw CLI::ExcludesError(on->get_name(), "--no-" + on->get_name().substr(2));
    }
    if (imapstore::AccountUrl::LooksLikeOne(request_.mailbox)) {
        std::string reason;
        if (!imapstore::AccountUrl::Parse(request_.mailbox, reason)) {
            throw CLI::ValidationError("--mailbox", "not an IMAP account's URL: " + reason);
        }
        if (!request_.messages.empty()) {
            throw CLI::ValidationError("messages", "message files belong to a mailbox directory; for an IMAP "
                                                   "account give a --folder");
        }
    } else if (!request_.passwordFile.empty() || !request_.caFile.empty()) {
        throw CLI::ValidationError("--password-file, --ca-file", "only for an IMAP account");
    }
    return request_;
}

int CommandLine::Exit(const CLI::ParseError& error, std::ostream& out, std::ostream& err) {
    const int status = app_.exit(error, out, err);
    return status == static_cast<int>(CLI::ExitCodes::Success) ? 0 : 2;
}

}  // namespace velmora::cli
