// velmora.dll with its Win32 windows, as a user works it inside the fake
// mail client: the button opens the main dialog, OK saves the attachments
// of the folder shown, with link replacement, into files written through
// the Windows file system, and each attachment gives way to a link to its
// file (made through Extended MAPI, which the client's object model leaves
// as the only way).

#include <gtest/gtest.h>

#include <windows.h>
#include <mapitags.h>

#include <string>
#include <vector>

#include "DllFixture.h"
#include "FakeOutlook.h"
#include "RegisteredDll.h"
#include "host/Office.h"
#include "host/Outlook.h"
#include "WindowFinder.h"
#include "base/Utf16.h"
#include "win32/outlook/LateBound.h"

namespace win32test {

namespace {

using fakehost::FakeObject;
using fakehost::FakeOutlook;
using fakehost::LateValue;

std::u16string WindowTextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return std::u16string(text.begin(), text.end());
}

std::string Contents(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[256];
    DWORD got = 0;
    ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    return std::string(buffer, got);
}

class SaveOnADisplay : public RegisteredDll {
protected:
    void SetUp() override {
        RegisteredDll::SetUp();
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&addIn)),
                  S_OK);
        target = L"C:\\VelmoraDisplayTest";
        RemoveTarget();
    }
    void TearDown() override {
        if (addIn != nullptr) addIn->Release();
        CoUninitialize();
        RemoveTarget();
        RegisteredDll::TearDown();
    }

    void RemoveTarget() {
        for (const wchar_t* name : {L"\\Inbox\\report.pdf", L"\\Inbox\\notes.txt"}) DeleteFileW((target + name).c_str());
        RemoveDirectoryW((target + L"\\Inbox").c_str());
        RemoveDirectoryW(target.c_str());
    }

    HRESULT Drive(const wchar_t* name, std::vector<LateValue> arguments) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        if (HRESULT found = addIn->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); FAILED(found)) {
            return found;
        }
        std::vector<VARIANT> reversed;
        for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) {
            reversed.push_back(argument->Get());
        }
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        return addIn->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }

    IDispatch* addIn = nullptr;
    std::wstring target;
};

TEST_F(SaveOnADisplay, ClickingOkSavesTheFolderAndLeavesLinksToTheFiles) {
    FakeOutlook outlook;
    outlook.ShowFolder(u"Inbox");
    auto mail = outlook.Mail(u"Quarterly figures", u"");
    outlook.PutIntoFolder(*mail);
    auto addInInstance = fakehost::MakeFake();
    ASSERT_EQ(Drive(L"OnConnection", {LateValue::Object(&outlook.Application()), LateValue::Int(1),
                                      LateValue::Object(addInInstance.Get()), LateValue()}),
              S_OK);
    ASSERT_EQ(Drive(L"OnStartupComplete", {LateValue()}), S_OK);

    // Where the dialog saves to, as a user chose it before, who has seen the welcome window.
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Ondrel\\Velmora", L"LastToDir", REG_SZ, target.c_str(),
                              static_cast<DWORD>((target.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    const DWORD seen = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Ondrel\\Velmora", L"DisplayedWelcomeMsg", REG_DWORD, &seen,
                              sizeof seen),
              ERROR_SUCCESS);
    FakeObject& button = *outlook.Controls(*outlook.Bar(u"VelmoraCommandBar")).front();
    VARIANT_BOOL cancelDefault = VARIANT_FALSE;
    VARIANT flag;
    VariantInit(&flag);
    flag.vt = VT_BOOL | VT_BYREF;
    flag.pboolVal = &cancelDefault;
    EXPECT_EQ(button.Fire(Office::DIID__CommandBarButtonEvents, Office::DISPID_Click,
                          {LateValue::Object(&button).Get(), flag}),
              S_OK);
    HWND dialog = FindWindowW(nullptr, L"Ondrel Velmora - v2.1");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(IsWindowVisible(dialog));
    HWND ok = FindChild(dialog, L"OK");
    ASSERT_NE(ok, nullptr);
    {
        // The target folder is not there yet: making it is confirmed.
        BoxAnswer confirm(L"Confirm", [](HWND box) { ClickButton(box, L"&Yes"); });
        SendMessageW(ok, BM_CLICK, 0, 0);
        EXPECT_TRUE(confirm.Found());
    }
    HWND progress = FindWindowW(nullptr, L"Processing...");
    ASSERT_NE(progress, nullptr);
    const std::u16string log = WindowTextOf(FindWindowExW(progress, nullptr, L"Edit", nullptr));

    EXPECT_EQ(Contents(target + L"\\Inbox\\report.pdf"), "content of report.pdf") << velmora::ToUtf8(log);
    const fakehost::MapiAttachmentRecord* link =
        outlook.LastMessage().Attachments().empty() ? nullptr : &outlook.LastMessage().Attachments().front();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Texts.at(PR_ATTACH_LONG_PATHNAME_W), target + L"\\Inbox\\report.pdf");
    // The copy went; its link stands in its place.
    win32::LateBound late{com::ComPtr<IDispatch>(mail.Get())};
    win32::LateBound attachments{late.Get(u"Attachments").AsObject()};
    ASSERT_EQ(attachments.Get(u"Count").AsInt(), 1);
    win32::LateBound only{attachments.Call(u"Item", {LateValue::Int(1)}).AsObject()};
    EXPECT_EQ(only.Get(u"Type").AsInt(), Outlook::olByReference);
    EXPECT_GE(mail->Calls(u"Save"), 1);

    EXPECT_EQ(Drive(L"OnDisconnection", {LateValue::Int(0), LateValue()}), S_OK);
}

}  // namespace

}  // namespace win32test
