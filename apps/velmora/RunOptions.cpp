#include "velmora/RunOptions.h"

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Utf16.h"
#include "host/Platform.h"
#include "util/ARQ_FUNC.h"
#include "velmora/NativePaths.h"

namespace velmora::cli {

namespace {

std::uint8_t ProcessOptionOf(Operation operation) {
    switch (operation) {
        case Operation::Reintroduce: return 1;
        case Operation::ReRoot: return 2;
        default: return 0;
    }
}

std::u16string WithFinalBackslash(std::u16string path) {
    if (path.back() != u'\\') path += u'\\';
    return path;
}

}  // namespace

void ApplyOptions(const Request& request, TOutlookManagerConfig& config, const posix::DriveMap& drives) {
    config.SetProcessOption(ProcessOptionOf(request.operation));
    config.SetWhatToProcess(request.messages.empty() ? 0 : 1);
    if (request.subFolders) config.SetLastProcessSubFolders(*request.subFolders);
    if (request.targetDirectory) config.SetLastToDir(ToEnginePath(*request.targetDirectory, drives));
    if (request.remove) config.SetLastRemoveAfterSaving(*request.remove);
    if (request.replaceMode) config.SetSaveAttOptions(*request.replaceMode);
    if (request.extensions) config.SetSaveOnlyExtensions(*request.extensions);
    if (request.minimumSizeKb) config.SetSaveOnlyBiggerThan(*request.minimumSizeKb);
    if (request.inlineImages) config.SetSaveInlineAttachments(*request.inlineImages);
    if (request.ifExists) config.SetIfFileExists(*request.ifExists);
    if (request.folderDirectories) config.SetUseFolderNameAsDir(*request.folderDirectories);
    if (request.deleteFiles) config.SetDeleteReintrFile(*request.deleteFiles);
}

Roots ReRootRoots(const Request& request, TOutlookManagerConfig& config, const posix::DriveMap& drives) {
    const std::u16string oldTyped = request.oldRoot ? Trim(FromUtf8(*request.oldRoot)) : Trim(config.LastToDir());
    const std::u16string newTyped = Trim(FromUtf8(request.newRoot));
    if (oldTyped.empty()) throw Exception(u"Error: source directory not specified");
    if (newTyped.empty()) throw Exception(u"Error: destination directory not specified");
    Roots roots{ToEnginePath(ToUtf8(oldTyped), drives), ToEnginePath(ToUtf8(newTyped), drives)};
    if (!host::TheFileSystem().DirectoryExists(roots.newRoot) && !ForceDirectories(roots.newRoot, true)) {
        throw Exception(Format(u"Error creating directory: %s", {roots.newRoot}));
    }
    roots.oldRoot = WithFinalBackslash(roots.oldRoot);
    roots.newRoot = WithFinalBackslash(roots.newRoot);
    return roots;
}

std::u16string ErrorText(std::u16string_view message) {
    std::u16string text(message);
    if (!text.empty() && text.back() > u'.') text += u'.';
    return text;
}

}  // namespace velmora::cli
