#include "sim/NameSpace.h"

#include <string>

namespace sim {

NameSpace::NameSpace() : Injectable({"PickFolder"}) {}

NameSpace::~NameSpace() {
    for (const auto& root : stores_) root->Orphan(Identity());
}

com::ComPtr<Outlook::MAPIFolder> NameSpace::PickFolder() {
    Enter("PickFolder");
    if (picks_.empty()) return nullptr;
    com::ComPtr<Outlook::MAPIFolder> answer = picks_.front();
    picks_.pop_front();
    return answer;
}

MapiFolder& NameSpace::Store(std::u16string_view name) {
    for (const auto& root : stores_) {
        if (root->FolderName() == name) return *root;
    }
    auto root = com::MakeCom<MapiFolder>(std::u16string(name));
    root->PlaceUnder(Identity());
    stores_.push_back(root);
    return *root;
}

NameSpace& NameSpace::AnswerPick(MapiFolder& folder) {
    picks_.emplace_back(&folder);
    return *this;
}

NameSpace& NameSpace::AnswerPickCancel() {
    picks_.emplace_back();
    return *this;
}

}  // namespace sim
