#pragma once

// The Office command bars and the add-in connection interface, as an add-in
// reaches them.
//
// Every command bar object is dual: it also answers IDispatch, and a host's
// type library may lack members that the typed interface has, so a button's
// Style, Picture and TooltipText are set by name through IDispatch. Events
// come through connection points (IConnectionPointContainer on the button
// and on the bar collection), raised with IDispatch::Invoke. Collections are
// 1-based; a call that fails throws host::HostError with the host's result
// code and message. An omitted optional parameter (std::nullopt) takes the
// host's default.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "com/InterfaceId.h"

namespace Office {

using com::ComPtr;

enum MsoControlType : std::int32_t { msoControlButton = 1 };

enum MsoButtonStyle : std::int32_t { msoButtonIconAndCaption = 3 };

enum MsoBarProtection : std::int32_t {
    msoBarNoProtection = 0,
    msoBarNoCustomize = 1,
    msoBarNoResize = 2,
    msoBarNoMove = 4,
    msoBarNoChangeVisible = 8,
    msoBarNoChangeDock = 16,
    msoBarNoVerticalDock = 32,
    msoBarNoHorizontalDock = 64,
};

enum MsoBarPosition : std::int32_t {
    msoBarLeft = 0,
    msoBarTop = 1,
    msoBarRight = 2,
    msoBarBottom = 3,
    msoBarFloating = 4,
    msoBarPopup = 5,
};

struct CommandBar;
struct CommandBarControls;
struct CommandBarControl;

struct _CommandBars : IDispatch {
    virtual std::int32_t Count() = 0;
    virtual ComPtr<CommandBar> Item(std::int32_t index) = 0;
    // A new bar at the end. Unless temporary, it stays in the host from one
    // start of the host to the next.
    virtual ComPtr<CommandBar> Add(std::optional<std::u16string> name, std::optional<std::int32_t> position,
                                   std::optional<bool> menuBar, std::optional<bool> temporary) = 0;
};

struct CommandBar : IDispatch {
    virtual std::u16string Name() = 0;
    virtual ComPtr<CommandBarControls> Controls() = 0;
    // The first control that meets every criterion given; none when no
    // control does. The tag compares exactly.
    virtual ComPtr<CommandBarControl> FindControl(std::optional<std::int32_t> type, std::optional<std::int32_t> id,
                                                  std::optional<std::u16string> tag, std::optional<bool> visible,
                                                  std::optional<bool> recursive) = 0;
    // A combination of MsoBarProtection flags. A bar protected with
    // msoBarNoCustomize refuses new controls.
    virtual std::int32_t Protection() = 0;
    virtual void SetProtection(std::int32_t protection) = 0;
    virtual bool Visible() = 0;
    virtual void SetVisible(bool visible) = 0;
};

struct CommandBarControls : IDispatch {
    virtual std::int32_t Count() = 0;
    virtual ComPtr<CommandBarControl> Item(std::int32_t index) = 0;
    // A new control: at the end, or in front of the 1-based position before.
    virtual ComPtr<CommandBarControl> Add(std::optional<std::int32_t> type, std::optional<std::int32_t> id,
                                          std::optional<std::u16string> parameter, std::optional<std::int32_t> before,
                                          std::optional<bool> temporary) = 0;
};

struct CommandBarControl : IDispatch {
    virtual std::u16string Caption() = 0;
    virtual void SetCaption(const std::u16string& caption) = 0;
    virtual std::u16string Tag() = 0;
    virtual void SetTag(const std::u16string& tag) = 0;
    virtual std::int32_t Priority() = 0;
    virtual void SetPriority(std::int32_t priority) = 0;
    virtual bool Visible() = 0;
    virtual void SetVisible(bool visible) = 0;
};

// Style, Picture and TooltipText: through IDispatch by name (see above).
struct _CommandBarButton : CommandBarControl {
    // Takes the face from the bitmap on the clipboard.
    virtual void PasteFace() = 0;
};

// What a button's Picture is set to: a picture object (passed as
// VT_DISPATCH) from which the host reads the image as a BMP file.
struct PictureImage : IUnknown {
    virtual std::vector<std::uint8_t> BmpFile() = 0;
};

// The add-in connection interface that the host drives.
enum ext_ConnectMode : std::int32_t {
    ext_cm_AfterStartup = 0,
    ext_cm_Startup = 1,
    ext_cm_External = 2,
    ext_cm_CommandLine = 3,
};

enum ext_DisconnectMode : std::int32_t {
    ext_dm_HostShutdown = 0,
    ext_dm_UserClosed = 1,
};

struct _IDTExtensibility2 : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, ext_ConnectMode ConnectMode,
                                                   IDispatch* AddInInst, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode RemoveMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

inline constexpr IID IID__CommandBars = {0x000C0302, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_CommandBar = {0x000C0304, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_CommandBarControls = {
    0x000C0306, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_CommandBarControl = {
    0x000C0308, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID__CommandBarButton = {
    0x000C030E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_PictureImage = {0x3A9E5C12, 0x7D41, 0x4B86, {0x9F, 0x2C, 0x51, 0xE8, 0x0B, 0x6D, 0x47, 0xA3}};
inline constexpr IID IID__IDTExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};

// Event interfaces and their members' dispatch identifiers.
inline constexpr IID DIID__CommandBarButtonEvents = {
    0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID DIID__CommandBarsEvents = {
    0x000C0352, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// Click(Ctrl: the button, CancelDefault: by-reference boolean)
inline constexpr DISPID DISPID_Click = 1;
// OnUpdate(), no arguments
inline constexpr DISPID DISPID_OnUpdate = 1;

}  // namespace Office

VELMORA_INTERFACE_ID(Office::_CommandBars, Office::IID__CommandBars);
VELMORA_INTERFACE_ID(Office::CommandBar, Office::IID_CommandBar);
VELMORA_INTERFACE_ID(Office::CommandBarControls, Office::IID_CommandBarControls);
VELMORA_INTERFACE_ID(Office::CommandBarControl, Office::IID_CommandBarControl);
VELMORA_INTERFACE_ID(Office::_CommandBarButton, Office::IID__CommandBarButton);
VELMORA_INTERFACE_ID(Office::PictureImage, Office::IID_PictureImage);
VELMORA_INTERFACE_ID(Office::_IDTExtensibility2, Office::IID__IDTExtensibility2);
