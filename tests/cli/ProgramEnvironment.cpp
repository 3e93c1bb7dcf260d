#include "ProgramEnvironment.h"
#include "ParsedMessage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

#include "base/Utf16.h"
#include "engine/uOutlookItem.h"
#include "host/Platform.h"
#include "mailstore/Mailbox.h"
#include "util/PathNames.h"
#include "velmora/ProgramPlatform.h"

namespace cli_tests {

namespace {

const char* const kVariables[] = {"VELMORA_USER_REGISTRY", "VELMORA_MACHINE_REGISTRY", "VELMORA_DRIVES_ROOT",
                                  "VELMORA_DRIVES"};

std::string ReadThroughHost(const std::u16string& windowsPath) {
    auto in = host::TheFileSystem().OpenRead(windowsPath);
    std::string bytes;
    char buffer[65536];
    while (const std::size_t count = in->Read(buffer, sizeof buffer)) bytes.append(buffer, count);
    return bytes;
}

void ReadAttachments(velmora::TOutlookItem& item, const std::u16string& scratch, MessageContents& contents) {
    auto& files = host::TheFileSystem();
    const auto count = item.GetAttachments()->Count();
    for (std::int32_t i = 1; i <= count; ++i) {
        auto attachment = item.GetAttachments()->Item(i);
        if (attachment->Type() == Outlook::olByReference) {
            const std::u16string path = attachment->PathName();
            ++contents.links;
            contents.linkPaths.push_back(path);
            contents.contents.insert(files.FileExists(path) ? Fingerprint(ReadThroughHost(path))
                                                            : "missing:" + velmora::ToUtf8(velmora::ExtractFileName(path)));
        } else {
            ++contents.byValue;
            contents.names.push_back(attachment->FileName());
            attachment->SaveAsFile(scratch);
            contents.contents.insert(Fingerprint(ReadThroughHost(scratch)));
            files.Remove(scratch);
        }
    }
}

}  // namespace

std::string Fingerprint(const std::string& bytes) {
    return std::to_string(bytes.size()) + ":" + std::to_string(std::hash<std::string>{}(bytes));
}

std::string FileFingerprint(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return Fingerprint(bytes.str());
}

ProgramEnvironment::ProgramEnvironment() {
    for (const char* name : kVariables) {
        const char* value = std::getenv(name);
        saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    setenv("VELMORA_USER_REGISTRY", UserHive().c_str(), 1);
    setenv("VELMORA_MACHINE_REGISTRY", (Dir() / "registry" / "machine.db").c_str(), 1);
    setenv("VELMORA_DRIVES_ROOT", (Dir() / "drives").c_str(), 1);
    unsetenv("VELMORA_DRIVES");
}

ProgramEnvironment::~ProgramEnvironment() {
    for (const auto& [name, value] : saved_) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
}

std::vector<std::string> ProgramEnvironment::VelmoraCommand(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), VELMORA_PROGRAM);
    return arguments;
}

Finished ProgramEnvironment::Velmora(std::vector<std::string> arguments, const std::string& input) const {
    return Run(VelmoraCommand(std::move(arguments)), input);
}

fs::path ProgramEnvironment::GenerateMailbox(const std::string& name, int messages, double megabytes,
                                             const std::optional<fs::path>& linkRoot) const {
    const fs::path mailbox = Dir() / name;
    std::vector<std::string> command = {SAMPLE_GENERATOR, "--out", mailbox.string(), "--messages",
                                        std::to_string(messages), "--size-mb", std::to_string(megabytes),
                                        "--max-attachment-kb", "256"};
    if (linkRoot) command.insert(command.end(), {"--link-root", linkRoot->string()});
    const Finished generated = Run(command);
    if (generated.exitStatus != 0) throw std::runtime_error("cannot generate a mailbox: " + generated.err);
    return mailbox;
}

MailboxContents ReadMailbox(const fs::path& mailbox) {
    velmora::cli::ProgramPlatform platform(velmora::cli::Request{}, std::cerr);
    auto store = mailstore::Mailbox::Open(mailbox);
    const fs::path scratchFile = fs::temp_directory_path() / ("velmora-read-back-" + std::to_string(getpid()));
    const std::u16string scratch = *platform.Drives().FromNative(scratchFile);
    MailboxContents mailbox_contents;
    for (const auto& entry : fs::recursive_directory_iterator(mailbox)) {
        const std::string box = entry.path().parent_path().filename().string();
        if (!entry.is_regular_file() || (box != "cur" && box != "new")) continue;
        const std::string messageId = ParsedMessageId(entry.path());
        EXPECT_FALSE(messageId.empty()) << entry.path() << " does not parse";
        const std::string key =
            fs::relative(entry.path().parent_path().parent_path(), mailbox).string() + "/" + messageId;
        MessageContents contents;
        contents.messageId = messageId;
        auto item = velmora::TOutlookItemFactory::CreateItem(store->OpenMessage(entry.path()).Get());
        contents.wrapped = item != nullptr;
        if (item) {
            contents.body = item->GetBody();
            ReadAttachments(*item, scratch, contents);
        }
        const auto [known, added] = mailbox_contents.emplace(key, contents);
        if (!added && known->second.contents != contents.contents) {
            ADD_FAILURE() << "two messages " << key << " with other attachments, one is " << entry.path();
        }
    }
    for (const auto& warning : store->TakeWarnings()) ADD_FAILURE() << warning;
    return mailbox_contents;
}

std::size_t CountFiles(const fs::path& directory) {
    std::size_t count = 0;
    if (!fs::exists(directory)) return 0;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) count += entry.is_regular_file() ? 1 : 0;
    return count;
}

std::map<std::string, std::multiset<std::string>> ContentsById(const fs::path& mailbox) {
    std::map<std::string, std::multiset<std::string>> contents;
    for (const auto& [key, message] : ReadMailbox(mailbox)) contents[message.messageId] = message.contents;
    return contents;
}

void ExpectOnlyWholeFiles(const fs::path& directory, const std::set<std::string>& attachments, int run) {
    if (!fs::exists(directory)) return;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        if (!entry.is_regular_file() || entry.path().filename().string().rfind(".~velmora-", 0) == 0) continue;
        EXPECT_TRUE(attachments.contains(FileFingerprint(entry.path())))
            << "run " << run << ": " << entry.path() << " holds no attachment whole";
    }
}

}  // namespace cli_tests
