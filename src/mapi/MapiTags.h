#pragma once

#include "com/ComTypes.h"

// A property tag: the property's identifier in the high word, its type in the low word.
constexpr ULONG PROP_TAG(ULONG type, ULONG id) { return (id << 16) | type; }
constexpr ULONG PROP_TYPE(ULONG tag) { return tag & 0xFFFF; }
constexpr ULONG PROP_ID(ULONG tag) { return tag >> 16; }
constexpr ULONG CHANGE_PROP_TYPE(ULONG tag, ULONG type) { return (tag & 0xFFFF0000) | type; }

inline constexpr ULONG PT_UNSPECIFIED = 0x0000;
inline constexpr ULONG PT_LONG = 0x0003;
inline constexpr ULONG PT_ERROR = 0x000A;
inline constexpr ULONG PT_BOOLEAN = 0x000B;
inline constexpr ULONG PT_STRING8 = 0x001E;
inline constexpr ULONG PT_UNICODE = 0x001F;
inline constexpr ULONG PT_BINARY = 0x0102;

inline constexpr ULONG PR_ATTACH_SIZE = PROP_TAG(PT_LONG, 0x0E20);
inline constexpr ULONG PR_ATTACH_FLAGS = PROP_TAG(PT_LONG, 0x3714);

// The error a missing property carries in its PT_ERROR value.
inline constexpr SCODE MAPI_E_NOT_FOUND = static_cast<SCODE>(0x8004010Fu);

inline constexpr ULONG MAPI_INIT_VERSION = 0;
