// The shared library as a host meets it: registered by the registration
// tool, found, loaded and driven by the host loader, and unloaded again.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "MapiProvider.h"
#include "TestPlatform.h"
#include "TrackedLinks.h"
#include "addin/VelmoraAddIn_TLB.h"
#include "base/Utf16.h"
#include "com/ClassFactory.h"
#include "sim/AddInLoader.h"
#include "sim/OutlookBuilder.h"
#include "sim/ui/SimUserInterface.h"

namespace {

using host::RegistryRoot;

constexpr char kLibrary[] = VELMORA_ADDIN_LIBRARY;
constexpr char16_t kProgId[] = u"VelmoraAddIn.CVelmoraAddIn";
constexpr char16_t kOfficeKey[] = u"Software\\Microsoft\\Office\\Outlook\\AddIns\\VelmoraAddIn.CVelmoraAddIn";

struct ProgramRun {
    int status = -1;
    std::string output;
};

// Runs the registration tool with the test's environment; its output, both streams.
ProgramRun RegistrationTool(const std::string& arguments) {
    const std::string command = std::string("'") + VELMORA_REGSVR_TOOL + "' " + arguments + " 2>&1";
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 256> chunk;
    while (std::fgets(chunk.data(), static_cast<int>(chunk.size()), pipe) != nullptr) run.output += chunk.data();
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// What this process writes to standard error meanwhile, as a host's log would keep it.
class StandardErrorCapture {
public:
    StandardErrorCapture() : file_(std::tmpfile()), saved_(dup(STDERR_FILENO)) {
        std::fflush(stderr);
        dup2(fileno(file_), STDERR_FILENO);
    }
    ~StandardErrorCapture() {
        Restore();
        std::fclose(file_);
    }
    std::string Text() {
        Restore();
        std::string text;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
        return text;
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        std::cerr.flush();
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }

    std::FILE* file_;
    int saved_;
};

bool LibraryLoaded() {
    void* handle = dlopen(kLibrary, RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr) dlclose(handle);
    return handle != nullptr;
}

// The test's hives and drives, shared with the library and the tool
// through the environment, as a host process shares them.
class ModuleTest : public ::testing::Test {
protected:
    ModuleTest() {
        testing_support::InstallMapiProvider(platform.Registry());
        setenv("VELMORA_USER_REGISTRY", platform.Hives().user.c_str(), 1);
        setenv("VELMORA_MACHINE_REGISTRY", platform.Hives().machine.c_str(), 1);
        const std::string drives = "C=" + platform.DrivePath(u'C').string() + ";D=" + platform.DrivePath(u'D').string();
        setenv("VELMORA_DRIVES", drives.c_str(), 1);
        b.Store(u"Personal Folders").Folder(u"Inbox");
    }
    ~ModuleTest() override {
        unsetenv("VELMORA_HEADLESS_UI");
        unsetenv("VELMORA_USER_REGISTRY");
        unsetenv("VELMORA_MACHINE_REGISTRY");
        unsetenv("VELMORA_DRIVES");
    }

    void SetUp() override { ASSERT_FALSE(LibraryLoaded()) << "an earlier test left the library loaded"; }

    std::vector<sim::AddInRecord> StartHost(sim::AddInLoader& loader) {
        loader.Start();
        return loader.AddIns();
    }

    testing_support::TestPlatform platform;
    sim::ui::SimUserInterface ui;
    sim::OutlookBuilder b;
};

TEST_F(ModuleTest, RegisteredByTheToolTheAddInIsLoadedConnectedAndUnloadedByTheHost) {
    setenv("VELMORA_HEADLESS_UI", "1", 1);
    const ProgramRun registration = RegistrationTool(std::string("'") + kLibrary + "'");
    EXPECT_EQ(registration.status, 0);
    EXPECT_EQ(registration.output, std::string("DllRegisterServer in \"") + kLibrary + "\" succeeded.\n");
    EXPECT_TRUE(platform.Registry().KeyExists(RegistryRoot::LocalMachine, kOfficeKey));
    EXPECT_FALSE(LibraryLoaded());

    {
        sim::AddInLoader loader(u"Outlook", com::ComPtr<IDispatch>(b.App().AsDispatch()));
        const auto addIns = StartHost(loader);
        ASSERT_EQ(addIns.size(), 1u);
        EXPECT_EQ(addIns[0].ProgId, kProgId);
        EXPECT_EQ(addIns[0].State, sim::AddInState::Connected) << velmora::ToUtf8(addIns[0].Problem);
        EXPECT_EQ(addIns[0].LibraryPath, velmora::FromUtf8(kLibrary));
        EXPECT_TRUE(LibraryLoaded());

        sim::CommandBar* bar = b.App().Bars().Find(u"VelmoraCommandBar");
        ASSERT_NE(bar, nullptr);
        const sim::ButtonState& button = bar->ControlAt(1).State();
        EXPECT_EQ(button.Caption, u"Velmora");
        EXPECT_EQ(button.Style, 3);
        EXPECT_EQ(button.FaceFrom, sim::FaceSource::Picture);
        EXPECT_EQ(button.Face.size(), 822u);
        EXPECT_EQ(button.TooltipText, u"Remove or save attachments");
        EXPECT_EQ(b.App().Bars().Find(u"Context Menu")->Data().Controls.size(), 1u);

        // A click opens the library's own (headless) dialog, which connects
        // its engine to the application; a second click only fronts it.
        const int connections = b.App().Faults().Calls("GetNamespace");
        bar->ControlAt(1).Click();
        EXPECT_EQ(b.App().Faults().Calls("GetNamespace"), connections + 1);
        bar->ControlAt(1).Click();
        EXPECT_EQ(b.App().Faults().Calls("GetNamespace"), connections + 1);

        loader.Shutdown();
        EXPECT_EQ(loader.AddIns()[0].State, sim::AddInState::Disconnected);
        EXPECT_EQ(bar->ControlAt(1).ClickSinkCount(), 0u);
        EXPECT_EQ(b.App().Bars().UpdateSinkCount(), 0u);
        EXPECT_EQ(b.App().EventSinkCount(), 0u);
        EXPECT_FALSE(LibraryLoaded());
    }

    // The next start of the host finds the bar it kept and adds none.
    sim::OutlookBuilder again;
    again.App().Bars().Restore(b.App().Bars().Saved());
    const std::size_t bars = again.App().Bars().Bars().size();
    {
        sim::AddInLoader loader(u"Outlook", com::ComPtr<IDispatch>(again.App().AsDispatch()));
        ASSERT_EQ(StartHost(loader)[0].State, sim::AddInState::Connected);
        EXPECT_EQ(again.App().Bars().Bars().size(), bars);
        EXPECT_EQ(again.App().Bars().Find(u"VelmoraCommandBar")->Data().Controls.size(), 1u);
        EXPECT_EQ(again.App().Bars().Find(u"Context Menu")->Data().Controls.size(), 1u);
    }
    EXPECT_FALSE(LibraryLoaded());

    const ProgramRun removal = RegistrationTool(std::string("-u '") + kLibrary + "'");
    EXPECT_EQ(removal.status, 0);
    EXPECT_EQ(removal.output, std::string("DllUnregisterServer in \"") + kLibrary + "\" succeeded.\n");
    EXPECT_FALSE(platform.Registry().KeyExists(RegistryRoot::LocalMachine, kOfficeKey));
    sim::AddInLoader loader(u"Outlook", com::ComPtr<IDispatch>(again.App().AsDispatch()));
    EXPECT_TRUE(StartHost(loader).empty());
}

TEST_F(ModuleTest, TheLibrarysHeadlessSendGuardAnswersCancelAndSaysSoOnStandardError) {
    setenv("VELMORA_HEADLESS_UI", "1", 1);
    ASSERT_EQ(RegistrationTool(std::string("-s '") + kLibrary + "'").status, 0);
    platform.WriteFile(u"C:\\Attachments\\report.pdf", "the report");
    auto& mail = b.LooseItem(sim::ItemKind::Mail, u"Outgoing").Link(u"C:\\Attachments\\report.pdf");
    auto& appointment = b.LooseItem(sim::ItemKind::Appointment, u"Meeting").Link(u"C:\\Attachments\\report.pdf");
    testing_support::TrackLink(platform, mail, 1);
    testing_support::TrackLink(platform, appointment, 1);

    sim::AddInLoader loader(u"Outlook", com::ComPtr<IDispatch>(b.App().AsDispatch()));
    ASSERT_EQ(StartHost(loader)[0].State, sim::AddInState::Connected);

    // Nobody answers the library's headless question: its Esc answer, Cancel, sends nothing.
    StandardErrorCapture err;
    EXPECT_FALSE(b.App().Send(mail));
    const std::string written = err.Text();
    ASSERT_EQ(mail.CurrentAttachments().size(), 1u);
    EXPECT_EQ(mail.CurrentAttachments()[0]->Data().Type, Outlook::olByReference);
    EXPECT_NE(written.find("velmora: Information: The message you are trying to send contains removed attachments"),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("[Cancel]\n"), std::string::npos) << written;

    EXPECT_TRUE(b.App().Send(appointment));
    EXPECT_EQ(appointment.CurrentAttachments()[0]->Data().Type, Outlook::olByReference);
}

TEST_F(ModuleTest, WithoutAQtApplicationOrTheHeadlessRequestNoWindowOpensAndTheClickSaysWhy) {
    ASSERT_EQ(RegistrationTool(std::string("-s '") + kLibrary + "'").status, 0);
    sim::AddInLoader loader(u"Outlook", com::ComPtr<IDispatch>(b.App().AsDispatch()));
    ASSERT_EQ(StartHost(loader)[0].State, sim::AddInState::Connected);

    const int connections = b.App().Faults().Calls("GetNamespace");
    StandardErrorCapture err;
    b.App().Bars().Find(u"VelmoraCommandBar")->ControlAt(1).Click();
    const std::string written = err.Text();
    EXPECT_EQ(b.App().Faults().Calls("GetNamespace"), connections) << "the dialog's engine was connected";
    EXPECT_NE(written.find("velmora: Velmora: Velmora opens no window here: the host runs no Qt application, and it "
                           "did not ask for the headless windows (VELMORA_HEADLESS_UI=1 before loading "
                           "libvelmora.so) [OK]\n"),
              std::string::npos)
        << written;
    // The test's own headless windows were never used: the library has none of its own here.
    EXPECT_TRUE(ui.Boxes().Shown().empty());
}

TEST_F(ModuleTest, AUsersRegistrationIsFoundInTheUsersHive) {
    platform.MakeMachineHiveReadOnly();
    ASSERT_EQ(RegistrationTool(std::string("'") + kLibrary + "'").status, 0);
    EXPECT_TRUE(platform.Registry().KeyExists(RegistryRoot::CurrentUser, kOfficeKey));
    EXPECT_FALSE(platform.Registry().KeyExists(RegistryRoot::LocalMachine, kOfficeKey));

    sim::AddInLoader loader(u"Outlook", com::ComPtr<IDispatch>(b.App().AsDispatch()));
    const auto addIns = StartHost(loader);
    ASSERT_EQ(addIns.size(), 1u);
    EXPECT_EQ(addIns[0].State, sim::AddInState::Connected);
}

TEST_F(ModuleTest, WithoutAWritableHiveTheToolReportsTheFailure) {
    platform.MakeMachineHiveReadOnly();
    std::filesystem::permissions(platform.Hives().user, std::filesystem::perms::owner_read);

    const ProgramRun run = RegistrationTool(std::string("'") + kLibrary + "'");
    EXPECT_EQ(run.status, 5);
    EXPECT_EQ(run.output, std::string("DllRegisterServer in \"") + kLibrary + "\" failed with result 0x80004005.\n");
    EXPECT_FALSE(platform.Registry().KeyExists(RegistryRoot::CurrentUser, kOfficeKey));
    EXPECT_FALSE(platform.Registry().KeyExists(RegistryRoot::LocalMachine, kOfficeKey));
}

TEST_F(ModuleTest, TheToolTellsALibraryItCannotUseAndAWrongCall) {
    const ProgramRun missing = RegistrationTool("'" + platform.Root().string() + "/none.so'");
    EXPECT_EQ(missing.status, 3);
    EXPECT_NE(missing.output.find("could not be loaded"), std::string::npos);

    const ProgramRun noEntry = RegistrationTool("-u '" + testing_support::MapiProviderPath() + "'");
    EXPECT_EQ(noEntry.status, 4);
    EXPECT_NE(noEntry.output.find("has no entry point DllUnregisterServer"), std::string::npos);

    EXPECT_EQ(RegistrationTool("-s '" + platform.Root().string() + "/none.so'").output, "");
    EXPECT_EQ(RegistrationTool("").status, 1);
    EXPECT_EQ(RegistrationTool("--help").status, 0);
}

TEST_F(ModuleTest, TheLoaderSkipsAddInsNotLoadedAtStartupAndMarksBrokenOnesFailed) {
    ASSERT_EQ(RegistrationTool(std::string("-s '") + kLibrary + "'").status, 0);
    host::Registry& registry = platform.Registry();
    registry.SetValue(RegistryRoot::LocalMachine, kOfficeKey, u"LoadBehavior", host::RegistryValue::OfDword(2));
    const std::u16string broken = u"Software\\Microsoft\\Office\\Outlook\\AddIns\\Broken.AddIn";
    registry.CreateKey(RegistryRoot::CurrentUser, broken);
    registry.SetValue(RegistryRoot::CurrentUser, broken, u"LoadBehavior", host::RegistryValue::OfDword(3));

    sim::AddInLoader loader(u"Outlook", com::ComPtr<IDispatch>(b.App().AsDispatch()));
    const auto addIns = StartHost(loader);
    ASSERT_EQ(addIns.size(), 1u);
    EXPECT_EQ(addIns[0].ProgId, u"Broken.AddIn");
    EXPECT_EQ(addIns[0].State, sim::AddInState::Failed);
    EXPECT_EQ(addIns[0].Result, CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_FALSE(LibraryLoaded());

    // The user loads it by hand while the host runs.
    ASSERT_TRUE(loader.Connect(kProgId));
    EXPECT_NE(b.App().Bars().Find(u"VelmoraCommandBar"), nullptr);
    loader.Disconnect(kProgId);
    EXPECT_EQ(b.App().EventSinkCount(), 0u);
    EXPECT_FALSE(LibraryLoaded());
}

TEST_F(ModuleTest, TheExportsAnswerAsAComServersEntryPoints) {
    void* library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr);
    using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT (*)();
    auto getClassObject = reinterpret_cast<GetClassObject>(dlsym(library, "DllGetClassObject"));
    auto canUnloadNow = reinterpret_cast<CanUnloadNow>(dlsym(library, "DllCanUnloadNow"));
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnloadNow, nullptr);
    // Only the four entry points are visible.
    EXPECT_EQ(dlsym(library, "_ZN7velmora9ComServerEv"), nullptr);

    constexpr CLSID kOther = {0x00000000, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44}};
    void* object = &object;
    EXPECT_EQ(getClassObject(kOther, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);

    com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(velmora::CLSID_CVelmoraAddIn, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())),
              S_OK);
    com::ComPtr<IUnknown> object2;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(object2.Put())), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    object2.Reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
    dlclose(library);
}

}  // namespace
