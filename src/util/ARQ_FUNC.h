#pragma once

// File and text helpers shared by the save, reintroduce and re-root runs and
// the main dialog. They work on Windows paths through host::TheFileSystem()
// and keep no state.

#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "base/DateTime.h"
#include "host/FileSystem.h"

namespace velmora {

// A set of 8-bit character codes. Only characters below U+0100 can be
// members; adding one from U+0100 up throws std::out_of_range.
class CharSet {
public:
    CharSet() = default;
    CharSet(std::initializer_list<char16_t> members);

    CharSet& Add(char16_t member);
    CharSet& AddRange(char16_t first, char16_t last);
    bool Contains(char16_t c) const;

private:
    std::bitset<256> members_;
};

// True when the directory was there already or has been created. With
// parents, the missing ones are created from the outermost inwards. Trailing
// backslashes are ignored. False for a relative path or a drive that does not
// exist, and when a file of that name is in the way.
bool ForceDirectories(std::u16string_view path, bool withParents);

// The file time SetFileDateTime stamps a file with for a local date-time (UTC,
// at the even second below it); none outside 1980-2107.
std::optional<host::FileTime> StampOf(TDateTime time);

// Stamps the file's last-write time with a local date-time, at the even
// second below it. Nothing changes for a time outside 1980-2107 or a file that
// cannot be opened for writing; failures are never reported.
void SetFileDateTime(std::u16string_view path, TDateTime time);

// True when a file or directory of that name exists. Then size is the low
// 32 bits of its size, and time its local last-write time at the even second
// below it, unless that lies outside 1980-2107, when time is left as it was.
// When nothing is found, neither is touched.
bool GetFileDateTimeAndSize(std::u16string_view path, TDateTime& time, std::uint32_t& size);

// Puts a space wherever text holds a member of the set; the length stays.
void ReplaceCharsBySpace(std::u16string& text, const CharSet& set);

}  // namespace velmora
