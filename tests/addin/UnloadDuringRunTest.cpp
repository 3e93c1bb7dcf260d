// The host unloading the add-in from an event that the progress window's
// pump serves, while a run is on the stack below it.

#include <filesystem>

#include "AddInFixture.h"
#include "addin/ModuleState.h"

namespace addin_test {
namespace {

// The Linux system services with a clock that stands still past the progress
// window's pump interval: it pumps as it comes up, then once per attachment.
class StillClock final : public host::System {
public:
    explicit StillClock(host::System& real) : real_(real) {}
    host::SystemVersion Version() override { return real_.Version(); }
    int ProfileInt(std::u16string_view section, std::u16string_view key, int fallback) override {
        return real_.ProfileInt(section, key, fallback);
    }
    std::uint32_t TickCount() override { return 1000; }
    velmora::TDateTime Now() override { return real_.Now(); }
    host::FileTime LocalToUtc(host::FileTime local) override { return real_.LocalToUtc(local); }
    host::FileTime UtcToLocal(host::FileTime utc) override { return real_.UtcToLocal(utc); }

private:
    host::System& real_;
};

class UnloadDuringRun : public AddInTest {
protected:
    UnloadDuringRun() {
        auto& inbox = b.Store(u"Personal Folders").Folder(u"Inbox");
        for (char16_t digit = u'1'; digit <= u'3'; ++digit) {
            inbox.Mail(std::u16string(u"Mail ") + digit).Attach(std::u16string(u"file") + digit + u".txt", "content");
        }
        b.MainExplorer().ShowFolder(&inbox);
        platform.FileSystem().MakeDirectory(u"C:\\Out");
    }

    // Opens the dialog from the add-in's button, set to save the inbox to C:\Out and leave the mails as they are.
    sim::ui::MainDialog& OpenSaveDialog() {
        Start();
        MainButton().Click();
        sim::ui::MainDialog& dialog = ui.Dialog();
        dialog.ChoosePage(velmora::kPageSave);
        dialog.Type(dialog.edtDirTo(), u"C:\\Out");
        dialog.Type(dialog.edtSize(), u"0");
        if (dialog.chkRemove().Checked()) dialog.ClickRemove();
        return dialog;
    }

    int SavedFiles() {
        int saved = 0;
        for (const char16_t* name : {u"C:\\Out\\Inbox\\file1.txt", u"C:\\Out\\Inbox\\file2.txt",
                                     u"C:\\Out\\Inbox\\file3.txt"}) {
            saved += platform.FileSystem().FileExists(name) ? 1 : 0;
        }
        return saved;
    }

    // The host unloads the add-in from the event served by the pump after `pumps` others.
    void UnloadAtPump(int pumps) {
        if (pumps > 0) {
            ui.Pump().Post([this, pumps] { UnloadAtPump(pumps - 1); });
            return;
        }
        ui.Pump().Post([this] {
            SAFEARRAY* custom = nullptr;
            EXPECT_EQ(addIn->OnDisconnection(Office::ext_dm_UserClosed, &custom), S_OK);
            addIn.Reset();
            dialogLetGo = !velmora::MainDialog();
            progressAlive = ui.HasProgress();
            moduleInUse = velmora::ComServer().InUse();
        });
    }

    StillClock clock{platform.System()};
    host::PlatformScope clockScope{{&platform.Registry(), &platform.FileSystem(), &platform.Libraries(), &clock,
                                    &platform.Catalog(), &platform.RunLocks()}};
    bool dialogLetGo = false;
    bool progressAlive = false;
    bool moduleInUse = false;
};

TEST_F(UnloadDuringRun, TheRunIsCancelledAndTheDialogFreedOnlyOnceItHasReturned) {
    // Pumps: the progress window coming up, then one per attachment begun.
    for (const int pumps : {0, 1, 2}) {
        SCOPED_TRACE(pumps);
        sim::ui::MainDialog& dialog = OpenSaveDialog();
        UnloadAtPump(pumps);
        dialog.ClickOk();

        EXPECT_TRUE(dialogLetGo);
        EXPECT_TRUE(progressAlive) << "the progress window and its engine were freed under the run";
        EXPECT_TRUE(moduleInUse) << "the library could have been unloaded under the run";
        // The attachment begun when the unload came is saved, and none after it.
        EXPECT_EQ(SavedFiles(), pumps) << "the run was not cancelled";
        EXPECT_FALSE(ui.HasProgress()) << "the dialog was not freed once the run had returned";
        EXPECT_FALSE(velmora::ComServer().InUse());
        std::filesystem::remove_all(platform.DrivePath(u'C') / "Out" / "Inbox");
    }
}

TEST_F(UnloadDuringRun, AnUnloadOutsideARunFreesTheDialogAtOnce) {
    OpenSaveDialog();
    ui.Dialog().ClickOk();
    ASSERT_EQ(SavedFiles(), 3);
    ASSERT_TRUE(ui.HasProgress());
    SAFEARRAY* custom = nullptr;
    EXPECT_EQ(addIn->OnDisconnection(Office::ext_dm_UserClosed, &custom), S_OK);
    addIn.Reset();
    EXPECT_FALSE(ui.HasProgress());
    EXPECT_FALSE(velmora::ComServer().InUse());
}

}  // namespace
}  // namespace addin_test
