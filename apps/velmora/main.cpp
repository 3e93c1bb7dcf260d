// velmora: the attachment engine on the command line, over a mailbox directory.
#include <iostream>

#include "velmora/CommandLine.h"
#include "velmora/Operations.h"

int main(int argc, char** argv) {
    velmora::cli::CommandLine commandLine(VELMORA_MAPI_PROVIDER_PATH);
    velmora::cli::Request request;
    try {
        request = commandLine.Parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return commandLine.Exit(error, std::cout, std::cerr);
    }
    return velmora::cli::Execute(request, std::cerr);
}
