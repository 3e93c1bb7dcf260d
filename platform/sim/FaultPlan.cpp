#include "sim/FaultPlan.h"

#include <stdexcept>
#include <utility>

#include "host/HostError.h"

namespace sim {

FaultPlan::FaultPlan(std::initializer_list<std::string_view> operations) {
    for (auto name : operations) operations_.emplace(std::string(name), Operation{});
}

FaultPlan& FaultPlan::FailOn(std::string_view operation, HRESULT code, std::u16string message) {
    Find(operation).always = Fault{code, std::move(message)};
    return *this;
}

FaultPlan& FaultPlan::FailOnCall(std::string_view operation, int call, HRESULT code, std::u16string message) {
    if (call < 1) throw std::invalid_argument("calls are numbered from 1");
    Find(operation).onCall[call] = Fault{code, std::move(message)};
    return *this;
}

void FaultPlan::Clear() {
    for (auto& [name, operation] : operations_) {
        operation.always.reset();
        operation.onCall.clear();
    }
}

int FaultPlan::Calls(std::string_view operation) const { return Find(operation).calls; }

std::optional<Fault> FaultPlan::Next(std::string_view operation) {
    auto& counted = Find(operation);
    ++counted.calls;
    if (counted.always) return counted.always;
    if (auto planned = counted.onCall.find(counted.calls); planned != counted.onCall.end()) return planned->second;
    return std::nullopt;
}

void FaultPlan::Enter(std::string_view operation) {
    if (auto fault = Next(operation)) throw host::HostError(fault->Code, fault->Message);
}

FaultPlan::Operation& FaultPlan::Find(std::string_view operation) {
    return const_cast<Operation&>(std::as_const(*this).Find(operation));
}

const FaultPlan::Operation& FaultPlan::Find(std::string_view operation) const {
    auto found = operations_.find(operation);
    if (found == operations_.end()) {
        throw std::invalid_argument("this sim object has no operation " + std::string(operation));
    }
    return found->second;
}

}  // namespace sim
