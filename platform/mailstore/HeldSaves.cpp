#include "mailstore/HeldSaves.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "mailstore/WorkFiles.h"

namespace mailstore {

namespace {

bool IsGone(const host::HostError& error) { return error.Code() == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); }

void SyncOnce(std::vector<std::filesystem::path> directories) {
    std::sort(directories.begin(), directories.end());
    directories.erase(std::unique(directories.begin(), directories.end()), directories.end());
    for (const auto& directory : directories) maildir::SyncDirectory(directory);
}

}  // namespace

void HeldSaves::Add(PreparedRewrite rewrite, Done done, Gone gone) {
    held_.push_back({std::move(rewrite), std::move(done), std::move(gone)});
}

void HeldSaves::Commit() {
    holding_ = false;
    std::vector<Held> held = std::exchange(held_, {});
    std::exception_ptr failure;
    const auto fail = [&](Held& save) {
        try {
            throw;
        } catch (const host::HostError& error) {
            if (IsGone(error) && save.gone) {
                save.gone(error);
                return;
            }
            if (!failure) failure = std::current_exception();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    };
    // Each step for all before the next: the flushes and directory syncs are shared.
    std::vector<Held*> linked;
    for (auto& save : held) {
        try {
            save.rewrite.Flush();
            save.rewrite.Link();
            linked.push_back(&save);
        } catch (...) {
            fail(save);
        }
    }
    std::vector<std::filesystem::path> directories;
    for (Held* save : linked) directories.push_back(save->rewrite.CurDirectory());
    SyncOnce(directories);
    directories.clear();
    std::vector<std::pair<Held*, RewrittenFile>> done;
    for (Held* save : linked) {
        try {
            RewrittenFile rewritten = save->rewrite.RemoveOld();
            directories.push_back(rewritten.removed.parent_path());
            done.emplace_back(save, std::move(rewritten));
        } catch (...) {
            fail(*save);
        }
    }
    SyncOnce(directories);
    for (auto& [save, rewritten] : done) save->done(rewritten);
    if (failure) std::rethrow_exception(failure);
}

}  // namespace mailstore
