#pragma once

// What the add-in's four windows need from a window toolkit: message boxes,
// the message pump, the clipboard, the shell, the folder browser, and one
// view per window. The windows' behaviour lives in src/ui; a view only shows
// the controls and reports the user's actions to its window's events.
//
// Conventions for every view:
// - Setting a control's state from code never calls an event back; the
//   window logic runs its own handlers where a change from code must act as
//   a click would.
// - A user's click changes the control first, then calls the event.
// - Texts are UTF-16. Failing toolkit calls throw host::HostError.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "com/HResult.h"
#include "host/HostError.h"

namespace host {

// ---- Message boxes ---------------------------------------------------------

enum class MessageIcon { None, Information, Question, Warning, Error };

struct MessageBoxRequest {
    std::u16string Text;  // "\r\n" breaks lines
    std::u16string Caption;
    MessageIcon Icon = MessageIcon::None;
    // Captions in the order shown, with their accelerators ("&Yes", "N&o to All", "OK").
    std::vector<std::u16string> Buttons;
    std::size_t DefaultButton = 0;  // answers Enter
    std::size_t EscapeButton = 0;   // answers Esc
    // A system box is not one of the add-in's windows: showing it does not
    // deactivate the main dialog (the error box). Question boxes are not.
    bool SystemBox = false;
};

// The answer when the box was closed by other means than a button or Esc.
inline constexpr int MessageBoxDismissed = -1;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Modal. The index of the chosen button in Buttons (Esc gives
    // EscapeButton), or MessageBoxDismissed.
    virtual int Show(const MessageBoxRequest& request) = 0;
};

// ---- Message pump, clipboard, shell ------------------------------------------

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Serves every pending event of the user-interface thread and returns
    // when none is left. A quit request among them is not served here; the
    // result says whether there was one. The request stays the host's: a
    // pump over the host's event loop posts it again once done, so that the
    // host quits when the run is over.
    virtual bool ProcessPendingEvents() = 0;
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void SetText(const std::u16string& text) = 0;
    // A bitmap, given as a BMP file image, replacing what the clipboard
    // held. A clipboard for texts only throws HostError (E_NOTIMPL).
    virtual void SetBitmap(const std::vector<std::uint8_t>& bmpFile) {
        (void)bmpFile;
        throw HostError(E_NOTIMPL, u"This clipboard holds no pictures");
    }
    // The bitmap the clipboard holds, as a BMP file image; empty when it
    // holds none.
    virtual std::vector<std::uint8_t> Bitmap() { return {}; }
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a web address or document with the desktop's handler ("open"
    // verb). False when nothing could be started; never throws.
    virtual bool Open(const std::u16string& address) = 0;
};

// ---- Folder browser ----------------------------------------------------------

enum class BrowseRoot : std::uint8_t { MyComputer = 0, Desktop = 1 };

struct FolderBrowseRequest {
    std::u16string Title;  // shown above the folder tree
    BrowseRoot Root = BrowseRoot::MyComputer;
    bool ShowStatus = false;  // the browser has a status text line
};

// The open browser, for the time of one FolderBrowser::Browse.
class FolderBrowserWindow {
public:
    virtual ~FolderBrowserWindow() = default;
    // Selects that directory (a Windows path) in the tree, when it is there.
    virtual void Select(const std::u16string& directory) = 0;
    virtual void SetStatusText(const std::u16string& text) = 0;
};

class FolderBrowserEvents {
public:
    virtual ~FolderBrowserEvents() = default;
    // The browser is open; window stays valid until Browse returns.
    virtual void Opened(FolderBrowserWindow& window) = 0;
    // The selection changed: its Windows path, or empty when the selected
    // item has no file-system path.
    virtual void SelectionChanged(const std::u16string& directory) = 0;
};

class FolderBrowser {
public:
    virtual ~FolderBrowser() = default;
    // Modal; only file-system directories can be confirmed. The confirmed
    // directory as a Windows path; none when the user cancelled, when the
    // confirmed directory has no Windows path (outside every mapped drive),
    // or when the root is not available (then nothing is shown).
    virtual std::optional<std::u16string> Browse(const FolderBrowseRequest& request, FolderBrowserEvents& events) = 0;
};

// ---- Controls --------------------------------------------------------------

class CheckBox {
public:
    virtual ~CheckBox() = default;
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

// One of the buttons of a group: checking one unchecks the others of its
// group; unchecking one (from code) leaves the others as they are, so none
// may be checked.
class RadioButton {
public:
    virtual ~RadioButton() = default;
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual std::u16string Caption() const = 0;
    virtual void SetCaption(const std::u16string& caption) = 0;
};

// A titled group of radio items; ItemIndex -1 when none is selected.
// Setting an index outside the items selects none.
class RadioGroup {
public:
    virtual ~RadioGroup() = default;
    virtual int ItemIndex() const = 0;
    virtual void SetItemIndex(int index) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

class TextField {
public:
    virtual ~TextField() = default;
    virtual std::u16string Text() const = 0;
    virtual void SetText(const std::u16string& text) = 0;
};

// Up-down arrows beside a text field. Their position is kept within their
// range; setting it does not rewrite the field's text.
class UpDown {
public:
    virtual ~UpDown() = default;
    virtual int Position() const = 0;
    virtual void SetPosition(int position) = 0;
};

class Label {
public:
    virtual ~Label() = default;
    virtual std::u16string Caption() const = 0;
    virtual void SetCaption(const std::u16string& caption) = 0;
};

class Button {
public:
    virtual ~Button() = default;
    virtual std::u16string Caption() const = 0;
    virtual void SetCaption(const std::u16string& caption) = 0;
};

// Pages shown one at a time; setting an index outside the pages is ignored.
class PageControl {
public:
    virtual ~PageControl() = default;
    virtual int ActivePage() const = 0;
    virtual void SetActivePage(int page) = 0;
};

// A read-only multi-line log that grows at its end. It must stay responsive
// with a hundred thousand lines: lines are appended or the last one is
// rewritten in place, never the whole document.
class LogView {
public:
    virtual ~LogView() = default;
    virtual void Clear() = 0;
    virtual void Append(const std::u16string& line) = 0;
    // Replaces the last line; appends one when the log is empty.
    virtual void RewriteLastLine(const std::u16string& line) = 0;
    // The whole text, lines separated by "\r\n".
    virtual std::u16string Text() const = 0;
    // Selects the whole text; the selection stays visible.
    virtual void SelectAll() = 0;
};

// ---- Windows ---------------------------------------------------------------

// What every window does; showing or hiding from code calls no event back.
class WindowView {
public:
    virtual ~WindowView() = default;
    virtual void Show() = 0;  // not modal
    virtual void Hide() = 0;
    virtual bool Visible() const = 0;
    virtual void BringToFront() = 0;
};

// The main options dialog. Its close box hides it and calls nothing.
enum class DirButton { btnDirTo, btnMoveFrom, btnMoveTo };

class MainDialogEvents {
public:
    virtual ~MainDialogEvents() = default;
    virtual void btnProcessClick() = 0;  // also Enter
    virtual void btnCancelClick() = 0;   // also Esc
    virtual void btnAboutClick() = 0;
    virtual void btnDonateClick() = 0;
    virtual void btnTipsClick() = 0;
    virtual void btnDirToClick(DirButton sender) = 0;
    virtual void chkRemoveClick() = 0;
    // Any of the three target radio buttons was clicked.
    virtual void rbtSelectedFolderClick() = 0;
    // The dialog lost the focus to another window of the add-in (a question
    // box, the welcome window, the progress window), not to a system box or
    // another program.
    virtual void FormDeactivate() = 0;
};

// Pages of pgcAction: 0 tbsRemove, 1 tbsReintroduce, 2 tbsMove.
class MainDialogView : public WindowView {
public:
    virtual RadioButton& rbtSelectedFolder() = 0;
    virtual RadioButton& rbtSelectedMessage() = 0;
    virtual RadioButton& rbtLetMeChoose() = 0;
    virtual CheckBox& chkProcessSubFolders() = 0;
    virtual PageControl& pgcAction() = 0;
    virtual RadioGroup& rgpReplace() = 0;
    virtual CheckBox& chkRemove() = 0;
    virtual TextField& edtDirTo() = 0;
    virtual CheckBox& chkFolders() = 0;
    virtual RadioGroup& rgpIfFileExists() = 0;
    virtual TextField& edtExt() = 0;
    virtual TextField& edtSize() = 0;
    virtual UpDown& updSize() = 0;  // range 0 to 30000
    virtual CheckBox& chkInlineImages() = 0;
    virtual CheckBox& chkDeleteAfterReintr() = 0;
    virtual TextField& edtMoveFrom() = 0;
    virtual TextField& edtMoveTo() = 0;
};

class ProgressLogEvents {
public:
    virtual ~ProgressLogEvents() = default;
    virtual void btnCancelClick() = 0;  // also Esc
    virtual void btnCopyClick() = 0;
    // The close box: the window logic runs its closing rules and hides the
    // view itself; the view must not close on its own.
    virtual void CloseRequested() = 0;
};

class ProgressLogView : public WindowView {
public:
    virtual Label& lblStatus() = 0;
    virtual LogView& mmoLog() = 0;
    virtual Label& lblFolder() = 0;
    virtual CheckBox& chkCloseWhenFinished() = 0;
    virtual Button& btnCancel() = 0;
    // Sounds the system's default beep (the end of a run).
    virtual void Beep() = 0;
};

class WelcomeEvents {
public:
    virtual ~WelcomeEvents() = default;
    // A left-button click on a link: the text of the link's range as the
    // document holds it (a hyperlink field gives its instruction with the
    // address in double quotes; a plain address is just the address).
    virtual void LinkClicked(const std::u16string& linkText) = 0;
};

// The welcome and tips document in a read-only rich text view, with one
// "Close" button (Enter and Esc).
class WelcomeView {
public:
    virtual ~WelcomeView() = default;
    // Loads the welcome document into RichEdit1; throws host::HostError when
    // it is missing or cannot be loaded.
    virtual void LoadDocument() = 0;
    // Shows the window modally until the user closes it.
    virtual void ShowModal() = 0;
};

// Creates the views; each view calls its events until it is destroyed.
class WindowFactory {
public:
    virtual ~WindowFactory() = default;
    // Built with the texts and states the layouts give, hidden.
    virtual std::unique_ptr<MainDialogView> CreateMainDialog(MainDialogEvents& events) = 0;
    virtual std::unique_ptr<ProgressLogView> CreateProgressLog(ProgressLogEvents& events) = 0;
    virtual std::unique_ptr<WelcomeView> CreateWelcome(WelcomeEvents& events) = 0;
};

// ---- Installation ------------------------------------------------------------

// The toolkit services the windows reach. The program (or a test) installs
// them once, as it installs the platform; the windows ask for them where they
// need them.
struct UserInterface {
    MessageBoxes* messageBoxes = nullptr;
    MessagePump* pump = nullptr;
    Clipboard* clipboard = nullptr;
    Shell* shell = nullptr;
    FolderBrowser* folderBrowser = nullptr;
    WindowFactory* windows = nullptr;
};

namespace detail {
inline UserInterface installedUserInterface;

template <class T>
T& RequireUi(T* service, const char16_t* what) {
    if (service == nullptr) throw HostError(E_UNEXPECTED, std::u16string(u"No ") + what + u" is installed");
    return *service;
}
}  // namespace detail

// Each throws HostError when no such service is installed.
inline MessageBoxes& TheMessageBoxes() {
    return detail::RequireUi(detail::installedUserInterface.messageBoxes, u"message box service");
}
inline MessagePump& TheMessagePump() { return detail::RequireUi(detail::installedUserInterface.pump, u"message pump"); }
inline Clipboard& TheClipboard() { return detail::RequireUi(detail::installedUserInterface.clipboard, u"clipboard"); }
inline Shell& TheShell() { return detail::RequireUi(detail::installedUserInterface.shell, u"shell"); }
inline FolderBrowser& TheFolderBrowser() {
    return detail::RequireUi(detail::installedUserInterface.folderBrowser, u"folder browser");
}
inline WindowFactory& TheWindows() {
    return detail::RequireUi(detail::installedUserInterface.windows, u"window factory");
}

// Installs services for its lifetime and puts the previous ones back after.
class UserInterfaceScope {
public:
    explicit UserInterfaceScope(const UserInterface& ui) : previous_(detail::installedUserInterface) {
        detail::installedUserInterface = ui;
    }
    ~UserInterfaceScope() { detail::installedUserInterface = previous_; }
    UserInterfaceScope(const UserInterfaceScope&) = delete;
    UserInterfaceScope& operator=(const UserInterfaceScope&) = delete;

private:
    UserInterface previous_;
};

}  // namespace host
