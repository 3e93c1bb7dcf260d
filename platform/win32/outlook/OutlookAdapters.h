#pragma once

#include "host/Outlook.h"

namespace win32 {

// Identifiers of the adapters of the core's Outlook interfaces that have
// none of their own (the core reaches those objects as results, never by
// asking for them), so that a wrapped object can be asked for them.
inline constexpr IID kNameSpaceAdapter = {0x6B1D0F3A, 0x2C44, 0x4E7B, {0x9A, 0x11, 0x3D, 0x5E, 0x70, 0x21, 0x8C, 0x01}};
inline constexpr IID kExplorerAdapter = {0x6B1D0F3A, 0x2C44, 0x4E7B, {0x9A, 0x11, 0x3D, 0x5E, 0x70, 0x21, 0x8C, 0x02}};
inline constexpr IID kSelectionAdapter = {0x6B1D0F3A, 0x2C44, 0x4E7B, {0x9A, 0x11, 0x3D, 0x5E, 0x70, 0x21, 0x8C, 0x03}};
inline constexpr IID kItemsAdapter = {0x6B1D0F3A, 0x2C44, 0x4E7B, {0x9A, 0x11, 0x3D, 0x5E, 0x70, 0x21, 0x8C, 0x04}};
inline constexpr IID kFoldersAdapter = {0x6B1D0F3A, 0x2C44, 0x4E7B, {0x9A, 0x11, 0x3D, 0x5E, 0x70, 0x21, 0x8C, 0x05}};
inline constexpr IID kAttachmentsAdapter = {
    0x6B1D0F3A, 0x2C44, 0x4E7B, {0x9A, 0x11, 0x3D, 0x5E, 0x70, 0x21, 0x8C, 0x06}};
inline constexpr IID kAttachmentAdapter = {
    0x6B1D0F3A, 0x2C44, 0x4E7B, {0x9A, 0x11, 0x3D, 0x5E, 0x70, 0x21, 0x8C, 0x07}};

}  // namespace win32

VELMORA_INTERFACE_ID(Outlook::_NameSpace, win32::kNameSpaceAdapter);
VELMORA_INTERFACE_ID(Outlook::Explorer, win32::kExplorerAdapter);
VELMORA_INTERFACE_ID(Outlook::Selection, win32::kSelectionAdapter);
VELMORA_INTERFACE_ID(Outlook::_Items, win32::kItemsAdapter);
VELMORA_INTERFACE_ID(Outlook::_Folders, win32::kFoldersAdapter);
VELMORA_INTERFACE_ID(Outlook::Attachments, win32::kAttachmentsAdapter);
VELMORA_INTERFACE_ID(Outlook::Attachment, win32::kAttachmentAdapter);
