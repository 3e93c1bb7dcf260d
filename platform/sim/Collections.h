#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include "com/ComObject.h"
#include "host/Outlook.h"
#include "sim/FaultPlan.h"

namespace sim {

// Throws host::HostError unless index lies in 1..count, as host collections count.
void CheckIndex(std::int32_t index, std::size_t count);

// A host collection over a list of sim objects: Count and a 1-based Item.
// Result is the interface Item hands out; IUnknown gives the element's identity.
template <class Interface, class Element, class Result>
class ObjectList : public com::ComObject<Interface>, public Injectable {
public:
    ObjectList() : Injectable({"Count", "Item"}) {}

    std::int32_t Count() override {
        Enter("Count");
        return static_cast<std::int32_t>(elements_.size());
    }

    com::ComPtr<Result> Item(std::int32_t index) override {
        Enter("Item");
        CheckIndex(index, elements_.size());
        const auto& element = elements_[static_cast<std::size_t>(index) - 1];
        if constexpr (std::is_same_v<Result, IUnknown>) {
            return com::ComPtr<IUnknown>(element->Identity());
        } else {
            return element;
        }
    }

    const std::vector<com::ComPtr<Element>>& Elements() const { return elements_; }
    void Append(com::ComPtr<Element> element) { elements_.push_back(std::move(element)); }
    void Assign(std::vector<com::ComPtr<Element>> elements) { elements_ = std::move(elements); }

private:
    std::vector<com::ComPtr<Element>> elements_;
};

}  // namespace sim
