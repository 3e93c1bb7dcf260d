#include "engine/uOutlookManagerConfig.h"

#include <array>

namespace velmora {

namespace {

enum Setting : int {
    idxSaveInlineAttachments = 1,
    idxSaveOnlyBiggerThan,
    idxSaveOnlyExtensions,
    idxUseFolderNameAsDir,
    idxSaveAttOptions,
    idxLastToDir,
    idxLastProcessSubFolders,
    idxLastRemoveAfterSaving,
    idxIfFileExists,
    idxWhatToProcess,
    idxProcessOption,
    idxDeleteReintrFile,
    idxDisplayedWelcomeMsg,
};

constexpr std::int32_t kFalse = 0;
constexpr std::int32_t kTrue = 1;

const std::array<TConfigProperty, 13> kProperties = {{
    {u"SaveInlineAttachments", TPropertyKind::Enumeration, idxSaveInlineAttachments, kFalse, {}},
    {u"SaveOnlyBiggerThan", TPropertyKind::Integer, idxSaveOnlyBiggerThan, 10, {}},
    {u"SaveOnlyExtensions", TPropertyKind::WideString, idxSaveOnlyExtensions, std::nullopt, {}},
    {u"UseFolderNameAsDir", TPropertyKind::Enumeration, idxUseFolderNameAsDir, kTrue, {}},
    {u"SaveAttOptions", TPropertyKind::Integer, idxSaveAttOptions, 0, {}},
    {u"LastToDir", TPropertyKind::WideString, idxLastToDir, std::nullopt, {}},
    {u"LastProcessSubFolders", TPropertyKind::Enumeration, idxLastProcessSubFolders, kTrue, {}},
    {u"LastRemoveAfterSaving", TPropertyKind::Enumeration, idxLastRemoveAfterSaving, kTrue, {}},
    {u"IfFileExists", TPropertyKind::Integer, idxIfFileExists, 0, {}},
    {u"WhatToProcess", TPropertyKind::Integer, idxWhatToProcess, 0, {}},
    {u"ProcessOption", TPropertyKind::Integer, idxProcessOption, 0, {}},
    {u"DeleteReintrFile", TPropertyKind::Enumeration, idxDeleteReintrFile, kTrue, {}},
    {u"DisplayedWelcomeMsg", TPropertyKind::Enumeration, idxDisplayedWelcomeMsg, kFalse, {}},
}};

constexpr char16_t kDefaultAttachmentDirectory[] = u"c:\\VelmoraAttachments";

}  // namespace

TOutlookManagerConfig::TOutlookManagerConfig() : TZelbConfigClass(false, true, u"Software\\Ondrel\\Velmora") {
    Open();
}

std::span<const TConfigProperty> TOutlookManagerConfig::Properties() const { return kProperties; }

void TOutlookManagerConfig::InitValue(int Index, TConfigValue& Cell, TPropertyKind Kind) {
    if (Index == idxSaveOnlyExtensions)
        Cell = std::u16string();
    else if (Index == idxLastToDir)
        Cell = std::u16string(kDefaultAttachmentDirectory);
    else
        TZelbConfigClass::InitValue(Index, Cell, Kind);
}

bool TOutlookManagerConfig::SaveInlineAttachments() const { return GetBool(idxSaveInlineAttachments); }
void TOutlookManagerConfig::SetSaveInlineAttachments(bool value) { SetBool(idxSaveInlineAttachments, value); }

std::int32_t TOutlookManagerConfig::SaveOnlyBiggerThan() const { return GetInteger(idxSaveOnlyBiggerThan); }
void TOutlookManagerConfig::SetSaveOnlyBiggerThan(std::int32_t value) { SetInteger(idxSaveOnlyBiggerThan, value); }

std::u16string TOutlookManagerConfig::SaveOnlyExtensions() const { return GetWideString(idxSaveOnlyExtensions); }
void TOutlookManagerConfig::SetSaveOnlyExtensions(const std::u16string& value) {
    SetWideString(idxSaveOnlyExtensions, value);
}

bool TOutlookManagerConfig::UseFolderNameAsDir() const { return GetBool(idxUseFolderNameAsDir); }
void TOutlookManagerConfig::SetUseFolderNameAsDir(bool value) { SetBool(idxUseFolderNameAsDir, value); }

std::uint8_t TOutlookManagerConfig::SaveAttOptions() const { return GetByte(idxSaveAttOptions); }
void TOutlookManagerConfig::SetSaveAttOptions(std::uint8_t value) { SetByte(idxSaveAttOptions, value); }

std::u16string TOutlookManagerConfig::LastToDir() const { return GetWideString(idxLastToDir); }
void TOutlookManagerConfig::SetLastToDir(const std::u16string& value) { SetWideString(idxLastToDir, value); }

bool TOutlookManagerConfig::LastProcessSubFolders() const { return GetBool(idxLastProcessSubFolders); }
void TOutlookManagerConfig::SetLastProcessSubFolders(bool value) { SetBool(idxLastProcessSubFolders, value); }

bool TOutlookManagerConfig::LastRemoveAfterSaving() const { return GetBool(idxLastRemoveAfterSaving); }
void TOutlookManagerConfig::SetLastRemoveAfterSaving(bool value) { SetBool(idxLastRemoveAfterSaving, value); }

std::uint8_t TOutlookManagerConfig::IfFileExists() const { return GetByte(idxIfFileExists); }
void TOutlookManagerConfig::SetIfFileExists(std::uint8_t value) { SetByte(idxIfFileExists, value); }

std::uint8_t TOutlookManagerConfig::WhatToProcess() const { return GetByte(idxWhatToProcess); }
void TOutlookManagerConfig::SetWhatToProcess(std::uint8_t value) { SetByte(idxWhatToProcess, value); }

std::uint8_t TOutlookManagerConfig::ProcessOption() const { return GetByte(idxProcessOption); }
void TOutlookManagerConfig::SetProcessOption(std::uint8_t value) { SetByte(idxProcessOption, value); }

bool TOutlookManagerConfig::DeleteReintrFile() const { return GetBool(idxDeleteReintrFile); }
void TOutlookManagerConfig::SetDeleteReintrFile(bool value) { SetBool(idxDeleteReintrFile, value); }

bool TOutlookManagerConfig::DisplayedWelcomeMsg() const { return GetBool(idxDisplayedWelcomeMsg); }
void TOutlookManagerConfig::SetDisplayedWelcomeMsg(bool value) { SetBool(idxDisplayedWelcomeMsg, value); }

}  // namespace velmora
