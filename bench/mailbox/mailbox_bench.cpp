// The mailbox benchmark's measuring part: runs, in one go over the same
// mailbox, a save run that keeps the messages, a plain copy of the files it
// wrote, ripmime on every message file, and the save run that removes the
// attachments and leaves links (over a copy of the mailbox) against a copy of
// the bytes plus a rewrite of the same messages with batched flushes; then
// the cost per attachment of a save into a directory that holds 500 and 5,000
// files already. Measures each one's wall time and peak memory (getrusage of
// the child processes) and prints the ratios the targets are stated in.
//
//   mailbox_bench --velmora PATH --mailbox DIR --work DIR [--ripmime PATH]
//
// Helpers it runs as child processes of its own:
//   mailbox_bench --copy-flushed FROM TO       a copy with a flush per file
//   mailbox_bench --rewrite-batched MAILBOX    every message written anew
//                                              and flushed a hundred at a time
//
// velmora must find its registry and drives through the environment, with the
// MAPI provider registered.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Measure {
    double seconds = 0;
    long peakKilobytes = 0;  // the largest resident set of the processes run
    std::size_t processes = 0;
};

// Runs a program with its output thrown away; throws when it fails.
long RunChild(const std::vector<std::string>& argv) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("cannot fork");
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::vector<char*> args;
        for (const auto& argument : argv) args.push_back(const_cast<char*>(argument.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(argv[0] + " failed (status " + std::to_string(WEXITSTATUS(status)) + ")");
    }
    return usage.ru_maxrss;
}

Measure Time(const std::vector<std::vector<std::string>>& commands) {
    Measure measure;
    const auto start = std::chrono::steady_clock::now();
    for (const auto& command : commands) {
        measure.peakKilobytes = std::max(measure.peakKilobytes, RunChild(command));
        ++measure.processes;
    }
    measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return measure;
}

struct Tree {
    std::size_t files = 0;
    std::uintmax_t bytes = 0;
};

Tree Files(const fs::path& directory) {
    Tree tree;
    for (const auto& entry : fs::recursive_directory_iterator(directory)) {
        if (!entry.is_regular_file()) continue;
        ++tree.files;
        tree.bytes += entry.file_size();
    }
    return tree;
}

std::vector<fs::path> MessageFiles(const fs::path& mailbox) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(mailbox)) {
        const std::string box = entry.path().parent_path().filename().string();
        if (entry.is_regular_file() && (box == "cur" || box == "new")) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

double Megabytes(std::uintmax_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

void Row(const char* what, const Measure& measure, std::uintmax_t bytes) {
    std::printf("%-44s %9.2f s %9.1f MB/s %9.1f MB peak  (%zu process%s)\n", what, measure.seconds,
                Megabytes(bytes) / measure.seconds, static_cast<double>(measure.peakKilobytes) / 1024.0,
                measure.processes, measure.processes == 1 ? "" : "es");
}

// Copies a tree of files, each one flushed to the disk before the next.
void CopyFlushed(const fs::path& from, const fs::path& to) {
    std::vector<char> buffer(1 << 20);
    for (const auto& entry : fs::recursive_directory_iterator(from)) {
        const fs::path target = to / fs::relative(entry.path(), from);
        if (entry.is_directory()) {
            fs::create_directories(target);
            continue;
        }
        const int in = open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (in < 0 || out < 0) throw std::runtime_error("cannot copy " + entry.path().string());
        for (ssize_t count; (count = read(in, buffer.data(), buffer.size())) > 0;) {
            if (write(out, buffer.data(), static_cast<std::size_t>(count)) != count) {
                throw std::runtime_error("cannot write " + target.string());
            }
        }
        if (fsync(out) != 0) throw std::runtime_error("cannot flush " + target.string());
        close(in);
        close(out);
    }
}

// Writes every message file of the mailbox anew beside itself, flushes them
// a hundred at a time, then puts each in place of its old file: the work a
// save with removal does on the messages, at the least.
void RewriteBatched(const fs::path& mailbox) {
    constexpr std::size_t kBatch = 100;
    std::vector<char> buffer(1 << 20);
    std::vector<std::pair<fs::path, int>> pending;
    const auto flush = [&] {
        for (auto& [file, fd] : pending) {
            if (fdatasync(fd) != 0) throw std::runtime_error("cannot flush " + file.string());
            close(fd);
        }
        for (auto& [file, fd] : pending) fs::rename(fs::path(file.string() + ".new"), file);
        pending.clear();
    };
    for (const auto& file : MessageFiles(mailbox)) {
        const int in = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        const int out = open((file.string() + ".new").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (in < 0 || out < 0) throw std::runtime_error("cannot rewrite " + file.string());
        for (ssize_t count; (count = read(in, buffer.data(), buffer.size())) > 0;) {
            if (write(out, buffer.data(), static_cast<std::size_t>(count)) != count) {
                throw std::runtime_error("cannot write " + file.string());
            }
        }
        close(in);
        pending.emplace_back(file, out);
        if (pending.size() == kBatch) flush();
    }
    flush();
}

// A mailbox that is one folder, whose messages each carry one attachment of its
// own name, for the cost of a save into a directory that is filling up.
void WriteNamesMailbox(const fs::path& mailbox, int messages) {
    for (const char* box : {"cur", "new", "tmp"}) fs::create_directories(mailbox / box);
    const std::string content(3000, 'a');
    for (int i = 0; i < messages; ++i) {
        const std::string name = "attachment-" + std::to_string(i) + ".bin";
        FILE* out = std::fopen((mailbox / "cur" / (std::to_string(1700000000 + i) + ".M" +
                                                             std::to_string(i) + "P1.bench:2,S"))
                                   .c_str(),
                               "w");
        std::fprintf(out,
                     "From: a@example.com\nSubject: %d\nMessage-ID: <%d@bench>\nMIME-Version: 1.0\n"
                     "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n\nHello\n"
                     "--b\nContent-Type: application/octet-stream; name=%s\nContent-Disposition: attachment; "
                     "filename=%s\n\n%s%d\n--b--\n",
                     i, i, name.c_str(), name.c_str(), content.c_str(), i);
        std::fclose(out);
    }
}

// Seconds per attachment of a save of the names mailbox into a directory
// that already holds filled unrelated files.
double PerAttachment(const std::string& velmora, const fs::path& work, int messages, int filled) {
    const fs::path mailbox = work / ("names-" + std::to_string(filled));
    const fs::path target = work / ("names-saved-" + std::to_string(filled));
    fs::remove_all(mailbox);
    fs::remove_all(target);
    WriteNamesMailbox(mailbox, messages);
    fs::create_directories(target);
    for (int i = 0; i < filled; ++i) std::fclose(std::fopen((target / ("filler-" + std::to_string(i) + ".bin")).c_str(), "w"));
    const Measure save = Time({{velmora, "save", "--mailbox", mailbox.string(), "--to", target.string(), "--min-size",
                                "0", "--no-remove", "--no-folder-dirs"}});
    return save.seconds / messages;
}

std::string Argument(int argc, char** argv, const std::string& name, const std::string& fallback = "") {
    for (int i = 1; i + 1 < argc; ++i) {
        if (argv[i] == name) return argv[i + 1];
    }
    if (fallback.empty()) throw std::runtime_error("missing " + name);
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 4 && std::string(argv[1]) == "--copy-flushed") {
            fs::create_directories(argv[3]);
            CopyFlushed(argv[2], argv[3]);
            return 0;
        }
        if (argc == 3 && std::string(argv[1]) == "--rewrite-batched") {
            RewriteBatched(argv[2]);
            return 0;
        }
        const std::string velmora = Argument(argc, argv, "--velmora");
        const fs::path mailbox = Argument(argc, argv, "--mailbox");
        const fs::path work = Argument(argc, argv, "--work");
        const std::string ripmime = Argument(argc, argv, "--ripmime", "/usr/bin/ripmime");
        const fs::path kept = work / "saved-kept";
        const fs::path copied = work / "copied";
        const fs::path flushed = work / "copied-flushed";
        const fs::path ripped = work / "ripmime";
        const fs::path removed = work / "saved-removed";
        const fs::path removingBox = work / "mailbox-removing";
        const fs::path rewrittenBox = work / "mailbox-rewritten";
        for (const auto& directory : {kept, copied, flushed, ripped, removed, removingBox, rewrittenBox}) {
            fs::remove_all(directory);
        }
        fs::create_directories(ripped);

        const std::vector<fs::path> messages = MessageFiles(mailbox);
        const Tree box = Files(mailbox);
        std::printf("mailbox: %zu messages, %.1f MB in %zu files\n\n", messages.size(), Megabytes(box.bytes),
                    box.files);

        // Every attachment, inline images and small files included, as ripmime takes them all.
        const std::vector<std::string> save = {velmora, "save", "--mailbox", mailbox.string(), "--min-size", "0",
                                               "--inline-images", "--if-exists", "rename", "--folder-dirs"};
        std::vector<std::string> keep = save;
        keep.insert(keep.end(), {"--no-remove", "--to", kept.string()});
        const Measure saveKept = Time({keep});
        const Tree attachments = Files(kept);

        const Measure copy = Time({{"/bin/cp", "-a", kept.string(), copied.string()}});
        const Measure copyFlushed = Time({{fs::canonical("/proc/self/exe").string(), "--copy-flushed", kept.string(),
                                           flushed.string()}});

        std::vector<std::vector<std::string>> rips;
        for (std::size_t i = 0; i < messages.size(); ++i) {
            const fs::path into = ripped / std::to_string(i);
            fs::create_directories(into);
            rips.push_back({ripmime, "-i", messages[i].string(), "-d", into.string()});
        }
        const Measure rip = Time(rips);
        const Tree rippedFiles = Files(ripped);

        // The runs that change messages work on copies, so that each finds the mailbox as it was.
        fs::copy(mailbox, removingBox, fs::copy_options::recursive);
        fs::copy(mailbox, rewrittenBox, fs::copy_options::recursive);
        std::vector<std::string> remove = save;
        remove[3] = removingBox.string();
        remove.insert(remove.end(), {"--remove", "--replace", "link", "--to", removed.string()});
        const Measure saveRemoved = Time({remove});
        const Tree attachmentsRemoved = Files(removed);
        const Measure rewrite = Time({{fs::canonical("/proc/self/exe").string(), "--rewrite-batched", rewrittenBox.string()}});

        constexpr int kNamesMessages = 400;
        const double fewFiles = PerAttachment(velmora, work, kNamesMessages, 500);
        const double manyFiles = PerAttachment(velmora, work, kNamesMessages, 5000);

        std::printf("attachment files: %zu, %.1f MB (ripmime wrote %zu files, %.1f MB, bodies included)\n\n",
                    attachments.files, Megabytes(attachments.bytes), rippedFiles.files,
                    Megabytes(rippedFiles.bytes));
        std::printf("%-44s %11s %14s %14s\n", "", "wall time", "attachments", "peak memory");
        Row("velmora save, messages kept", saveKept, attachments.bytes);
        Row("velmora save --remove --replace link", saveRemoved, attachmentsRemoved.bytes);
        Row("cp -a of the saved files", copy, attachments.bytes);
        Row("copy of the saved files, each flushed", copyFlushed, attachments.bytes);
        Row("ripmime, one process per message", rip, attachments.bytes);
        Row("rewrite of the messages, flushed per 100", rewrite, box.bytes);
        std::printf("\nmailbox read: %.1f MB/s (save, kept), %.1f MB/s (save, removed), %.1f MB/s (ripmime)\n",
                    Megabytes(box.bytes) / saveKept.seconds, Megabytes(box.bytes) / saveRemoved.seconds,
                    Megabytes(box.bytes) / rip.seconds);
        std::printf("\nthroughput ratios (velmora's throughput over the other's; higher: velmora faster)\n");
        std::printf("  save kept / cp -a                               %6.2f   (target >= 0.8)\n",
                    copy.seconds / saveKept.seconds);
        std::printf("  save kept / ripmime                             %6.2f   (target >= 4)\n",
                    rip.seconds / saveKept.seconds);
        std::printf("  save removed / (cp -a + batched message rewrite) %5.2f   (target >= 0.5)\n",
                    (copy.seconds + rewrite.seconds) / saveRemoved.seconds);
        std::printf("peak memory\n");
        std::printf("  save kept %.1f MB, save removed %.1f MB   (target <= 64 MB)\n",
                    static_cast<double>(saveKept.peakKilobytes) / 1024.0,
                    static_cast<double>(saveRemoved.peakKilobytes) / 1024.0);
        std::printf("cost per attachment saved into a directory holding 500 / 5,000 files\n");
        std::printf("  %.0f us / %.0f us: %.2f   (target <= 1.10)\n", fewFiles * 1e6, manyFiles * 1e6,
                    manyFiles / fewFiles);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mailbox_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
