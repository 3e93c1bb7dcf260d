#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <optional>

#include "MapiProvider.h"
#include "TestPlatform.h"
#include "TrackedLinks.h"
#include "base/Format.h"
#include "base/Utf16.h"
#include "engine/uOutlookManager.h"
#include "sim/OutlookBuilder.h"

namespace engine_test {

// Everything the engine reports, one line per callback, with the counters
// as they stand when the callback fires ("F1 M0 A0").
class EventLog {
public:
    void Attach(velmora::TOutlookManager& engine) {
        engine.OnProcessFolder = [this](auto& e, const std::u16string& name) { Add(e, u"folder " + name); };
        engine.OnProcessMail = [this](auto& e, const std::u16string& subject) { Add(e, u"mail " + subject); };
        engine.OnProcessAttachment = [this](auto& e, const std::u16string& name) { Add(e, u"att " + name); };
        engine.OnAttachmentStatus = [this](auto& e, const std::u16string& file, const std::u16string& dir,
                                           velmora::TAttachmentStatus status) {
            Add(e, velmora::Format(u"status %d %s | %s", {std::int64_t{status}, file, dir}));
        };
    }

    void Add(velmora::TOutlookManager& engine, const std::u16string& event) {
        lines.push_back(velmora::ToUtf8(event) + velmora::ToUtf8(velmora::Format(
                                                     u" [F%d M%d A%d]", {std::int64_t{engine.FolderCount()},
                                                                        std::int64_t{engine.MessageCount()},
                                                                        std::int64_t{engine.AttachmentCount()}})));
    }

    // The lines without their counters.
    std::vector<std::string> Events() const {
        std::vector<std::string> events;
        for (const auto& line : lines) events.push_back(line.substr(0, line.rfind(" [")));
        return events;
    }

    std::vector<std::string> lines;
};

// A platform over temporary drives with the MAPI provider registered, an
// in-memory host, and an engine connected to it with its callbacks logged.
class EngineTest : public ::testing::Test {
protected:
    EngineTest() {
        testing_support::InstallMapiProvider(platform.Registry());
        engine.Connect(b.App().Identity());
        log.Attach(engine);
    }

    sim::MapiFolder& Inbox() { return b.Store(u"Personal Folders").Folder(u"Inbox"); }

    std::string Read(std::u16string_view path) const { return platform.ReadFile(path); }
    bool Exists(std::u16string_view path) { return platform.FileSystem().FileExists(path); }

    void Track(sim::Item& item, int index, std::optional<std::string> bytes = std::nullopt) {
        testing_support::TrackLink(platform, item, index, std::move(bytes));
    }

    testing_support::TestPlatform platform;
    sim::OutlookBuilder b;
    velmora::TOutlookManager engine;
    EventLog log;
};

}  // namespace engine_test
