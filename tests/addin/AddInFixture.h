#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "MapiProvider.h"
#include "TestPlatform.h"
#include "addin/ComServer.h"
#include "addin/uVelmora.h"
#include "host/Office.h"
#include "host/UserInterface.h"
#include "sim/OutlookBuilder.h"
#include "sim/ui/SimUserInterface.h"

namespace addin_test {

// A clipboard that holds texts and bitmaps, as the desktop's does.
class PictureClipboard final : public host::Clipboard {
public:
    void SetText(const std::u16string& text) override {
        text_ = text;
        bitmap_.clear();
    }
    void SetBitmap(const std::vector<std::uint8_t>& bmpFile) override {
        bitmap_ = bmpFile;
        text_.clear();
    }
    std::vector<std::uint8_t> Bitmap() override { return bitmap_; }
    const std::u16string& Text() const { return text_; }

private:
    std::u16string text_;
    std::vector<std::uint8_t> bitmap_;
};

// The Linux platform over temporary drives and hives, the headless windows
// with a clipboard for pictures, an in-memory Outlook, and the add-in made
// through the module's class factory, as a host makes it. A test that
// leaves the add-in connected has it shut down as a host would.
class AddInTest : public ::testing::Test {
protected:
    AddInTest();
    ~AddInTest() override;

    // A new add-in object from DllGetClassObject's factory.
    com::ComPtr<Office::_IDTExtensibility2> Create();
    HRESULT Connect(Office::ext_ConnectMode mode = Office::ext_cm_Startup);
    // Create, OnConnection (host starting) and OnStartupComplete, each expected to succeed.
    void Start();
    // OnBeginShutdown, then OnDisconnection as the host shuts down.
    void Shutdown();

    IDispatch* Application() { return b.App().AsDispatch(); }
    sim::CommandBars& Bars() { return b.App().Bars(); }
    // Each fails the test when the bar or control is not there.
    sim::CommandBar& ToolBar();
    sim::CommandBar& ContextMenu();
    sim::CommandBarButton& MainButton() { return ToolBar().ControlAt(1); }
    sim::CommandBarButton& ContextEntry();
    int ContextEntries();

    testing_support::TestPlatform platform;
    sim::ui::SimUserInterface ui;
    PictureClipboard clipboard;
    host::UserInterfaceScope clipboardScope;
    sim::OutlookBuilder b;
    com::ComPtr<Office::_IDTExtensibility2> addIn;
};

// The face the add-in was built with.
std::vector<std::uint8_t> OwnFace();

}  // namespace addin_test
