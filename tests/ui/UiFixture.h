#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "MapiProvider.h"
#include "TestPlatform.h"
#include "TrackedLinks.h"
#include "engine/uOutlookManagerConfig.h"
#include "sim/OutlookBuilder.h"
#include "sim/ui/SimUserInterface.h"
#include "ui/frm_Velmora.h"

namespace ui_test {

// The Linux system services with the tick counter held still, so that the
// progress window pumps only where a run starts an attachment.
class FrozenClock final : public host::System {
public:
    explicit FrozenClock(host::System& real) : real_(real) {}
    host::SystemVersion Version() override { return real_.Version(); }
    int ProfileInt(std::u16string_view section, std::u16string_view key, int fallback) override {
        return real_.ProfileInt(section, key, fallback);
    }
    std::uint32_t TickCount() override { return 0; }
    velmora::TDateTime Now() override { return real_.Now(); }
    host::FileTime LocalToUtc(host::FileTime local) override { return real_.LocalToUtc(local); }
    host::FileTime UtcToLocal(host::FileTime utc) override { return real_.UtcToLocal(utc); }

private:
    host::System& real_;
};

// The Linux platform, an in-memory host, the headless user interface and
// the main dialog, as the add-in creates it.
class UiTest : public ::testing::Test {
protected:
    UiTest() { testing_support::InstallMapiProvider(platform.Registry()); }

    void Open(std::uint8_t openedFrom = velmora::kOpenedFromToolBar) {
        dialog->ShowForApplication(b.App().Identity(), openedFrom);
    }
    sim::ui::MainDialog& Dialog() { return ui.Dialog(); }
    sim::MapiFolder& Inbox() { return b.Store(u"Personal Folders").Folder(u"Inbox"); }
    // Shows the inbox with n mails, each with one small attachment.
    void InboxWithMails(int n) {
        for (int i = 1; i <= n; ++i) {
            const std::u16string digit(1, static_cast<char16_t>(u'0' + i));
            Inbox().Mail(u"Mail " + digit).Attach(u"file" + digit + u".txt", "content " + std::string(1, '0' + i));
        }
        b.MainExplorer().ShowFolder(&Inbox());
    }
    // The save page, saving into an existing C:\Out without a size limit.
    void SaveToOut() {
        platform.FileSystem().MakeDirectory(u"C:\\Out");
        Dialog().ChoosePage(velmora::kPageSave);
        Dialog().Type(Dialog().edtDirTo(), u"C:\\Out");
        Dialog().Type(Dialog().edtSize(), u"0");
    }
    // The settings as stored in the registry now.
    velmora::TOutlookManagerConfig Stored() { return {}; }
    const std::vector<std::u16string>& Log() { return ui.Progress().Log().Lines(); }
    std::vector<std::u16string> Boxes() { return ui.Boxes().Texts(); }

    testing_support::TestPlatform platform;
    FrozenClock clock{platform.System()};
    host::PlatformScope frozen{{&platform.Registry(), &platform.FileSystem(), &platform.Libraries(), &clock,
                                &platform.Catalog(), &platform.RunLocks()}};
    sim::OutlookBuilder b;
    std::ostringstream boxLog;
    sim::ui::SimUserInterface ui{boxLog};
    std::unique_ptr<velmora::TfrmVelmora> dialog = std::make_unique<velmora::TfrmVelmora>();
};

}  // namespace ui_test
