#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace cli_tests {

namespace {

void Check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("cannot ") + what);
}

// Appends what is there to read; false at the end of the output.
bool ReadSome(int fd, std::string& into) {
    char buffer[65536];
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(count));
    return true;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& input) {
    int in[2], out[2], err[2];
    Check(pipe2(in, O_CLOEXEC) == 0 && pipe2(out, O_CLOEXEC) == 0 && pipe2(err, O_CLOEXEC) == 0, "make pipes");
    pid_ = fork();
    Check(pid_ >= 0, "fork");
    if (pid_ == 0) {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        std::vector<char*> args;
        for (const auto& argument : argv) args.push_back(const_cast<char*>(argument.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
    // The inputs of the tests are small: they fit into the pipe at once.
    Check(write(in[1], input.data(), input.size()) == static_cast<ssize_t>(input.size()), "write the input");
    close(in[1]);
}

ChildProcess::~ChildProcess() {
    if (!waited_) {
        kill(pid_, SIGKILL);
        Wait();
    }
}

void ChildProcess::ReadErrorAvailable() {
    pollfd check{err_, POLLIN, 0};
    while (err_ >= 0 && poll(&check, 1, 0) > 0) {
        if (!ReadSome(err_, errSeen_)) {
            close(err_);
            err_ = -1;
        }
    }
}

std::optional<std::string> ChildProcess::ReadLine() {
    while (true) {
        const auto end = outBuffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = outBuffer_.substr(0, end);
            outBuffer_.erase(0, end + 1);
            return line;
        }
        if (out_ < 0) return std::nullopt;
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        poll(fds, err_ >= 0 ? 2 : 1, -1);
        if (fds[0].revents != 0) {
            std::string chunk;
            if (ReadSome(out_, chunk)) {
                outBuffer_ += chunk;
                outSeen_ += chunk;
            } else {
                close(out_);
                out_ = -1;
            }
        }
        ReadErrorAvailable();
    }
}

void ChildProcess::Signal(int signal) { kill(pid_, signal); }

Finished ChildProcess::Wait() {
    while (out_ >= 0 || err_ >= 0) {
        pollfd fds[2];
        nfds_t count = 0;
        if (out_ >= 0) fds[count++] = {out_, POLLIN, 0};
        if (err_ >= 0) fds[count++] = {err_, POLLIN, 0};
        poll(fds, count, -1);
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents == 0) continue;
            const bool isOut = fds[i].fd == out_;
            if (!ReadSome(fds[i].fd, isOut ? outSeen_ : errSeen_)) {
                close(fds[i].fd);
                (isOut ? out_ : err_) = -1;
            }
        }
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    waited_ = true;
    Finished finished;
    finished.out = outSeen_;
    finished.err = errSeen_;
    if (WIFEXITED(status)) finished.exitStatus = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) finished.signal = WTERMSIG(status);
    return finished;
}

Finished Run(const std::vector<std::string>& argv, const std::string& input) {
    return ChildProcess(argv, input).Wait();
}

}  // namespace cli_tests
