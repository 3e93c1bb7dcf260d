// A Windows program that scripts/tests/check-wine-run.sh runs through the Wine
// runner:
//   probe exit <code>   writes two lines to stdout and one to stderr, exits <code>
//   probe spawn         starts "probe linger" with the standard handles inherited,
//                       waits until it has started, and exits
//   probe linger        creates "started", waits for "release", creates "finished"
// The files are in the current directory.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool FileExists(const char* name)
{
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

void CreateMarker(const char* name)
{
    if (FILE* file = std::fopen(name, "w")) {
        std::fclose(file);
    }
}

// Bounded so that a failed check never leaves a process behind for good.
bool WaitForFile(const char* name)
{
    for (int i = 0; i < 600; ++i) {
        if (FileExists(name)) {
            return true;
        }
        Sleep(100);
    }
    return false;
}

int Spawn()
{
    char commandLine[MAX_PATH + 16];
    char self[MAX_PATH];
    if (GetModuleFileNameA(nullptr, self, MAX_PATH) == 0) {
        return 10;
    }
    std::snprintf(commandLine, sizeof commandLine, "\"%s\" linger", self);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return 11;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!WaitForFile("started")) {
        return 12;
    }
    std::printf("spawned\n");
    return 0;
}

int Linger()
{
    CreateMarker("started");
    const bool released = WaitForFile("release");
    CreateMarker("finished");
    return released ? 0 : 13;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "exit") == 0) {
        std::printf("out one\nout two\n");
        std::fprintf(stderr, "err one\n");
        return std::atoi(argv[2]);
    }
    if (argc == 2 && std::strcmp(argv[1], "spawn") == 0) {
        return Spawn();
    }
    if (argc == 2 && std::strcmp(argv[1], "linger") == 0) {
        return Linger();
    }
    std::fprintf(stderr, "usage: probe exit <code> | spawn | linger\n");
    return 2;
}
