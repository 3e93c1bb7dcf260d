#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "com/HResult.h"

namespace sim {

// What an injected failure reports.
struct Fault {
    HRESULT Code = E_FAIL;
    std::u16string Message;
};

// The failures a test has planned for one sim object. Calls are counted per
// operation from the object's creation; a planned failure changes nothing
// in the object and reaches the caller as host::HostError.
class FaultPlan {
public:
    // The operations the object has; naming any other one is a test's
    // mistake and throws std::invalid_argument, so that a misspelt plan
    // cannot pass unnoticed.
    explicit FaultPlan(std::initializer_list<std::string_view> operations);

    // Every later call of the operation fails.
    FaultPlan& FailOn(std::string_view operation, HRESULT code, std::u16string message);
    // Only the call with that number (1 is the object's first call) fails.
    FaultPlan& FailOnCall(std::string_view operation, int call, HRESULT code, std::u16string message);
    // Forgets every planned failure; the counts stay.
    void Clear();

    int Calls(std::string_view operation) const;

    // Counts a call of the operation and gives the failure planned for it.
    std::optional<Fault> Next(std::string_view operation);
    // Counts a call and throws host::HostError when it is planned to fail.
    void Enter(std::string_view operation);

private:
    struct Operation {
        int calls = 0;
        std::optional<Fault> always;
        std::map<int, Fault> onCall;
    };

    Operation& Find(std::string_view operation);
    const Operation& Find(std::string_view operation) const;

    std::map<std::string, Operation, std::less<>> operations_;
};

// Base of every sim object: its plan of failures.
class Injectable {
public:
    FaultPlan& Faults() { return faults_; }

protected:
    explicit Injectable(std::initializer_list<std::string_view> operations) : faults_(operations) {}
    ~Injectable() = default;

    void Enter(std::string_view operation) { faults_.Enter(operation); }

private:
    FaultPlan faults_;
};

}  // namespace sim
