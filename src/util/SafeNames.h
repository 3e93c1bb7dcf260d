#pragma once

#include <string>
#include <string_view>

// Names taken from other people's mail become names of files and
// directories; these rules keep every such name an ordinary entry inside
// the directory it is meant for.
//
// After the caller's character replacement, MakeSafeName:
//  0. turns the characters Windows refuses in names that the caller's
//     replacement may let through (control characters, '<', '>', '"' and
//     '|') into blanks, so that such a name does not fail the whole run;
//  1. removes trailing dots and blanks (Windows drops them silently, so
//     "a.pdf." and "a.pdf" would be the same file, and ".." would climb up);
//  2. turns a name left empty into "_";
//  3. puts "_" in front of a device name (CON, PRN, AUX, NUL, COM1-COM9,
//     LPT1-LPT9, in any letter case, alone or with an extension, blanks
//     before the dot included), which would otherwise open the device.
// Leading blanks and inner dots stay: they are legal and harmless.
namespace velmora {

std::u16string MakeSafeName(std::u16string_view name);

bool IsDeviceName(std::u16string_view name);

}  // namespace velmora
