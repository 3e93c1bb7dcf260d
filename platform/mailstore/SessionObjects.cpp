#include "mailstore/SessionObjects.h"

#include <utility>

#include "base/Format.h"
#include "base/Utf16.h"
#include "host/HostError.h"
#include "mailstore/CollectionIndex.h"

namespace mailstore {

namespace {

class EmptySelection final : public com::ComObject<Outlook::Selection> {
public:
    EmptySelection() = default;
    std::int32_t Count() override { return 0; }
    com::ComPtr<IUnknown> Item(std::int32_t index) override {
        CheckedIndex(index, 0);
        return nullptr;
    }
};

}  // namespace

Explorer::Explorer(com::ComPtr<Outlook::MAPIFolder> folder) : folder_(std::move(folder)) {}

com::ComPtr<Outlook::MAPIFolder> Explorer::CurrentFolder() { return folder_; }

com::ComPtr<Outlook::Selection> Explorer::Selection() { return com::MakeCom<EmptySelection>(); }

Application::Application(com::ComPtr<NameSpace> session, com::ComPtr<Explorer> explorer)
    : session_(std::move(session)), explorer_(std::move(explorer)) {}

com::ComPtr<Outlook::_NameSpace> Application::GetNamespace(const std::u16string& type) {
    if (!velmora::SameText(type, u"MAPI")) {
        throw host::HostError(E_INVALIDARG, velmora::Format(u"There is no namespace of type %s.", {type}));
    }
    return session_;
}

com::ComPtr<Outlook::Explorer> Application::ActiveExplorer() { return explorer_; }

std::u16string Application::Name() { return u"Outlook"; }

}  // namespace mailstore
