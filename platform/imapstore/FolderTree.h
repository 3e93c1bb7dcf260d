#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "imapstore/ImapSession.h"

namespace imapstore {

// A level of the account's folder hierarchy.
struct FolderNode {
    std::string name;       // the server's full name; empty at the top and for levels it does not list
    std::string component;  // the last part of the name, as the server writes it
    std::u16string shown;   // that part as the user reads it
    bool selectable = false;
    std::vector<FolderNode> children;  // in the order of their shown names
};

// The hierarchy of the folders LIST gave: each name cut at its folder's
// delimiter, levels the server does not list made (and not selectable).
FolderNode BuildFolderTree(const std::vector<ListedFolder>& folders);

// A name part as the user reads it: modified UTF-7 decoded, or the text as
// it is when it is not in that form.
std::u16string ShownFolderName(std::string_view component);

}  // namespace imapstore
