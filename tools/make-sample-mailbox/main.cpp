// Writes the project's sample mailbox: a tree of Maildir folders with
// messages of every kind the attachment engine meets, the same bytes for the
// same options.
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "MessageWriter.h"
#include "SamplePlan.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    std::string out;
    std::string linkRoot;
    sample::PlanOptions options;
    double totalMegabytes = 40;
    double maxAttachmentKilobytes = 4096;

    CLI::App app("Writes a deterministic sample mailbox (Maildir folders of generated messages).",
                 "make-sample-mailbox");
    app.add_option("--out", out, "The mailbox directory to create (must not exist or be empty)")->required();
    app.add_option("--messages", options.messages,
                   "How many messages (the 20 or so fixed ones are always written)")
        ->capture_default_str()
        ->check(CLI::Range(1, 10000000));
    app.add_option("--size-mb", totalMegabytes, "About how many MB of attachment content in all")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1000000.0));
    app.add_option("--max-attachment-kb", maxAttachmentKilobytes,
                   "The largest random attachment before scaling to the total, in KB")
        ->capture_default_str()
        ->check(CLI::Range(1.0, 1000000.0));
    app.add_option("--seed", options.seed, "Another seed gives another mailbox")->capture_default_str();
    app.add_option("--link-root", linkRoot,
                   "Where earlier saved files lie: adds messages with links to files there (and writes those files)");
    CLI11_PARSE(app, argc, argv);

    options.totalBytes = static_cast<std::uint64_t>(std::llround(totalMegabytes * 1024 * 1024));
    options.maxAttachmentBytes = static_cast<std::size_t>(std::llround(maxAttachmentKilobytes * 1024));
    options.withLinks = !linkRoot.empty();
    try {
        const fs::path mailbox(out);
        if (fs::exists(mailbox) && !fs::is_empty(mailbox)) {
            std::cerr << "make-sample-mailbox: " << out << " exists and is not empty\n";
            return 1;
        }
        sample::MailboxWriter writer(fs::absolute(mailbox), linkRoot.empty() ? fs::path() : fs::absolute(linkRoot));
        writer.CreateFolders();
        const auto plan = sample::MakePlan(options);
        for (std::size_t i = 0; i < plan.size(); ++i) writer.Write(plan[i], i);
        const auto& totals = writer.Totals();
        std::printf("%zu messages, %zu attachments (%.1f MB), %zu links, in %s\n", totals.messages,
                    totals.attachments, static_cast<double>(totals.attachmentBytes) / (1024.0 * 1024.0),
                    totals.links, out.c_str());
    } catch (const std::exception& error) {
        std::cerr << "make-sample-mailbox: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
