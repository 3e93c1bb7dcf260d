#include "imapstore/FolderTree.h"

#include <algorithm>

#include "base/Utf16.h"
#include "mailstore/ModifiedUtf7.h"

namespace imapstore {

namespace {

FolderNode& ChildNamed(FolderNode& parent, const std::string& component) {
    for (FolderNode& child : parent.children) {
        if (child.component == component) return child;
    }
    FolderNode child;
    child.component = component;
    child.shown = ShownFolderName(component);
    parent.children.push_back(std::move(child));
    return parent.children.back();
}

void Sort(FolderNode& node) {
    std::sort(node.children.begin(), node.children.end(), [](const FolderNode& a, const FolderNode& b) {
        return velmora::LowerCase(a.shown) < velmora::LowerCase(b.shown);
    });
    for (FolderNode& child : node.children) Sort(child);
}

}  // namespace

std::u16string ShownFolderName(std::string_view component) {
    if (auto decoded = mailstore::DecodeModifiedUtf7(component)) return *decoded;
    return velmora::FromUtf8(component);
}

FolderNode BuildFolderTree(const std::vector<ListedFolder>& folders) {
    FolderNode top;
    for (const ListedFolder& folder : folders) {
        FolderNode* node = &top;
        std::string_view rest = folder.name;
        while (true) {
            const std::size_t cut = folder.delimiter == 0 ? std::string_view::npos : rest.find(folder.delimiter);
            node = &ChildNamed(*node, std::string(rest.substr(0, cut)));
            if (cut == std::string_view::npos) break;
            rest.remove_prefix(cut + 1);
        }
        node->name = folder.name;
        node->selectable = folder.selectable;
    }
    Sort(top);
    return top;
}

}  // namespace imapstore
