#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace cli_tests {

struct Finished {
    int exitStatus = -1;  // -1 when a signal ended the process
    int signal = 0;
    std::string out;
    std::string err;
};

// A program run with its standard input, output and error on pipes. Its
// output can be read line by line while it runs.
class ChildProcess {
public:
    // Starts argv[0] with the rest as its arguments; input is written to its standard input, which is then closed.
    explicit ChildProcess(const std::vector<std::string>& argv, const std::string& input = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next line of standard output (without its end); none at the end of the output.
    std::optional<std::string> ReadLine();
    void Signal(int signal);
    pid_t Pid() const { return pid_; }
    // Reads what is left of both outputs and waits for the end.
    Finished Wait();

private:
    void ReadErrorAvailable();

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outBuffer_;
    std::string outSeen_;
    std::string errSeen_;
    bool waited_ = false;
};

Finished Run(const std::vector<std::string>& argv, const std::string& input = "");

}  // namespace cli_tests
