#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace posix_tests {

// Sets (or, given null, removes) an environment variable and puts the old
// state back afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (previous_) {
            setenv(name_.c_str(), previous_->c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// Switches the process's time zone for the lifetime of the object.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) : variable_("TZ", zone) { tzset(); }

private:
    // Destroyed after variable_ has put TZ back, so the old zone is read again.
    struct Reload {
        ~Reload() { tzset(); }
    };
    Reload reload_;
    ScopedVariable variable_;
};

}  // namespace posix_tests
