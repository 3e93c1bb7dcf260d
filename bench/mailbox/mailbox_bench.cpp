// The mailbox benchmark's measuring part: runs, in one go over the same
// mailbox, a save run that keeps the messages, a plain copy of the files it
// wrote, ripmime on every message file, and the save run that removes the
// attachments and leaves links; measures each one's wall time and peak
// memory (getrusage of the child processes) and prints the ratios.
//
//   mailbox_bench --velmora PATH --mailbox DIR --work DIR [--ripmime PATH]
//
// The save run flushes every file it writes to the disk, as cp does not; so
// the files are also copied once more by this program itself with a flush
// per file (mailbox_bench --copy-flushed FROM TO, run as a child process).
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
        const std::string velmora = Argument(argc, argv, "--velmora");
        const fs::path mailbox = Argument(argc, argv, "--mailbox");
        const fs::path work = Argument(argc, argv, "--work");
        const std::string ripmime = Argument(argc, argv, "--ripmime", "/usr/bin/ripmime");
        const fs::path kept = work / "saved-kept";
        const fs::path copied = work / "copied";
        const fs::path flushed = work / "copied-flushed";
        const fs::path ripped = work / "ripmime";
        const fs::path removed = work / "saved-removed";
        for (const auto& directory : {kept, copied, flushed, ripped, removed}) fs::remove_all(directory);
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

        std::vector<std::string> remove = save;
        remove.insert(remove.end(), {"--remove", "--replace", "link", "--to", removed.string()});
        const Measure saveRemoved = Time({remove});
        const Tree attachmentsRemoved = Files(removed);

        std::printf("attachment files: %zu, %.1f MB (ripmime wrote %zu files, %.1f MB, bodies included)\n\n",
                    attachments.files, Megabytes(attachments.bytes), rippedFiles.files,
                    Megabytes(rippedFiles.bytes));
        std::printf("%-44s %11s %14s %14s\n", "", "wall time", "attachments", "peak memory");
        Row("velmora save, messages kept", saveKept, attachments.bytes);
        Row("velmora save --remove --replace link", saveRemoved, attachmentsRemoved.bytes);
        Row("cp -a of the saved files", copy, attachments.bytes);
        Row("copy of the saved files, each flushed", copyFlushed, attachments.bytes);
        Row("ripmime, one process per message", rip, attachments.bytes);
        std::printf("\nmailbox read: %.1f MB/s (save, kept), %.1f MB/s (save, removed), %.1f MB/s (ripmime)\n",
                    Megabytes(box.bytes) / saveKept.seconds, Megabytes(box.bytes) / saveRemoved.seconds,
                    Megabytes(box.bytes) / rip.seconds);
        std::printf("\nratios of wall time (higher: velmora slower)\n");
        std::printf("  save kept / copy       %7.2f\n", saveKept.seconds / copy.seconds);
        std::printf("  save kept / ripmime    %7.2f\n", saveKept.seconds / rip.seconds);
        std::printf("  save kept / flushed copy %5.2f\n", saveKept.seconds / copyFlushed.seconds);
        std::printf("  save removed / copy    %7.2f\n", saveRemoved.seconds / copy.seconds);
        std::printf("  save removed / ripmime %7.2f\n", saveRemoved.seconds / rip.seconds);
        std::printf("ratios of peak memory\n");
        std::printf("  save removed / copy    %7.2f\n",
                    static_cast<double>(saveRemoved.peakKilobytes) / static_cast<double>(copy.peakKilobytes));
        std::printf("  save removed / ripmime %7.2f\n",
                    static_cast<double>(saveRemoved.peakKilobytes) / static_cast<double>(rip.peakKilobytes));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mailbox_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
