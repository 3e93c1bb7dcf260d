#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace velmora::cli {

enum class Operation { Save, Reintroduce, ReRoot, Install, CatalogList, CatalogCheck, CatalogAdopt };

// What the command line asks for. An option left out is absent, and the
// stored setting applies to it.
struct Request {
    Operation operation = Operation::Save;

    // The target: a folder of the mailbox ("" is its root folder, the whole
    // mailbox) or the given message files of it. The mailbox is a directory
    // or an IMAP account's URL (imap://user@host/, imaps://user@host/).
    std::string mailbox;
    // For an IMAP account: a file holding the password, and the certificate
    // authorities to trust instead of the system's.
    std::string passwordFile;
    std::string caFile;
    std::string folder;
    std::vector<std::string> messages;
    std::optional<bool> subFolders;
    bool storeSettings = false;
    // Fail at once instead of waiting while another run works on the mailbox or target.
    bool noWait = false;
    bool verbose = false;

    // save
    std::optional<std::string> targetDirectory;
    std::optional<bool> remove;
    std::optional<std::uint8_t> replaceMode;     // 0 link, 1 body, 2 none
    std::optional<std::u16string> extensions;    // in the stored form (".pdf;.doc")
    std::optional<std::int32_t> minimumSizeKb;
    std::optional<bool> inlineImages;
    std::optional<std::uint8_t> ifExists;        // 0 rename, 1 overwrite, 2 ask
    std::optional<bool> folderDirectories;
    bool withoutMapi = false;
    bool includeSigned = false;

    // reintroduce
    std::optional<bool> deleteFiles;

    // reroot
    std::optional<std::string> oldRoot;
    std::string newRoot;

    // install
    std::string providerPath;

    // catalog adopt
    std::string adoptRoot;
};

// The program's command line (CLI11): sub-commands save, reintroduce,
// reroot and install. One object parses one command line.
class CommandLine {
public:
    // providerPath: where install finds the MAPI provider library unless told.
    explicit CommandLine(std::string providerPath);

    // Throws CLI::ParseError for help, version and usage errors.
    Request Parse(int argc, const char* const* argv);
    // Prints what the error asks for (help, version, or the error with a
    // hint) and gives the exit status: 0 for help and version, 2 otherwise.
    int Exit(const CLI::ParseError& error, std::ostream& out, std::ostream& err);

private:
    CLI::Option* AddSwitch(CLI::App& command, const std::string& name, std::optional<bool>& target,
                           const std::string& description);
    void AddTargetOptions(CLI::App& command);
    void AddSaveCommand();
    void AddReintroduceCommand();
    void AddReRootCommand();
    void AddInstallCommand();
    void AddCatalogCommand();

    CLI::App app_;
    Request request_;
    std::vector<std::pair<CLI::Option*, CLI::Option*>> switches_;  // each switch and its opposite
};

}  // namespace velmora::cli
