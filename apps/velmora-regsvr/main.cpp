// velmora-regsvr: registers or unregisters a COM server library by calling
// its DllRegisterServer or DllUnregisterServer, as the Windows registration
// tool does for a DLL.
//
// Exit status: 0 done, 1 wrong use, 3 the library cannot be loaded, 4 it
// lacks the entry point, 5 the entry point reported a failure.

#include <dlfcn.h>

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

enum ExitStatus : int { kDone = 0, kWrongUse = 1, kNotLoaded = 3, kNoEntryPoint = 4, kEntryFailed = 5 };

using EntryPoint = std::int32_t (*)();

std::string Hex(std::int32_t result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
}

struct Options {
    std::string library;
    bool unregister = false;
    bool silent = false;
};

int Run(const Options& options) {
    const std::string path = std::filesystem::absolute(options.library).string();
    const char* entryName = options.unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto report = [&](std::ostream& stream, const std::string& message) {
        if (!options.silent) stream << message << '\n';
    };

    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        report(std::cerr, "The library \"" + path + "\" could not be loaded" +
                              (reason != nullptr ? std::string(": ") + reason : std::string(".")));
        return kNotLoaded;
    }
    // The library stays loaded until the tool ends: unloading it would also
    // unload the toolkit libraries it brought in, which do not free all they
    // allocated when loaded.
    auto entry = reinterpret_cast<EntryPoint>(dlsym(library, entryName));
    if (entry == nullptr) {
        report(std::cerr, "The library \"" + path + "\" has no entry point " + entryName + ".");
        return kNoEntryPoint;
    }
    const std::int32_t result = entry();
    if (result < 0) {
        report(std::cerr, std::string(entryName) + " in \"" + path + "\" failed with result " + Hex(result) + ".");
        return kEntryFailed;
    }
    report(std::cout, std::string(entryName) + " in \"" + path + "\" succeeded.");
    return kDone;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Registers a COM server library (calls its DllRegisterServer), or unregisters it."};
    Options options;
    app.add_option("library", options.library, "Path of the shared library")->required();
    app.add_flag("-u,--unregister", options.unregister, "Call DllUnregisterServer instead");
    app.add_flag("-s,--silent", options.silent, "Print nothing; the exit status tells");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return kWrongUse;
    }
    return Run(options);
}
