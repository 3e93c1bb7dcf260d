#pragma once

// The attachment engine's thirteen persisted settings, under the current
// user's key "Software\Ondrel\Velmora", one registry value per setting named
// as the setting. A setting at its default has no value there.

#include <cstdint>
#include <string>

#include "engine/ZelbConfigClass.h"

namespace velmora {

class TOutlookManagerConfig final : public TZelbConfigClass {
public:
    // Opens (creating it when missing) and loads the key; a stored value of
    // the wrong registry type fails the construction.
    TOutlookManagerConfig();

    // Save images that sit inside the message body.
    bool SaveInlineAttachments() const;
    void SetSaveInlineAttachments(bool value);
    // Minimum attachment size in KB; 0 or less: no minimum.
    std::int32_t SaveOnlyBiggerThan() const;
    void SetSaveOnlyBiggerThan(std::int32_t value);
    // Extension filter, entries ".ext" separated by ";"; empty: all.
    std::u16string SaveOnlyExtensions() const;
    void SetSaveOnlyExtensions(const std::u16string& value);
    // Add sub-directories that reproduce the folder structure.
    bool UseFolderNameAsDir() const;
    void SetUseFolderNameAsDir(bool value);
    // What replaces a removed attachment: 0 link attachment, 1 text reference in the body, 2 nothing.
    std::uint8_t SaveAttOptions() const;
    void SetSaveAttOptions(std::uint8_t value);
    // Last destination directory.
    std::u16string LastToDir() const;
    void SetLastToDir(const std::u16string& value);
    bool LastProcessSubFolders() const;
    void SetLastProcessSubFolders(bool value);
    bool LastRemoveAfterSaving() const;
    void SetLastRemoveAfterSaving(bool value);
    // 0 rename (add a number), 1 overwrite, 2 ask.
    std::uint8_t IfFileExists() const;
    void SetIfFileExists(std::uint8_t value);
    // 0 selected folder, 1 selected message(s), 2 let the user choose the folder.
    std::uint8_t WhatToProcess() const;
    void SetWhatToProcess(std::uint8_t value);
    // 0 save attachments, 1 reintroduce, 2 change the link root folder.
    std::uint8_t ProcessOption() const;
    void SetProcessOption(std::uint8_t value);
    bool DeleteReintrFile() const;
    void SetDeleteReintrFile(bool value);
    // The welcome window has been shown once.
    bool DisplayedWelcomeMsg() const;
    void SetDisplayedWelcomeMsg(bool value);

protected:
    std::span<const TConfigProperty> Properties() const override;
    void InitValue(int Index, TConfigValue& Cell, TPropertyKind Kind) override;
};

}  // namespace velmora
