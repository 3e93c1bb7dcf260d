#pragma once

// The add-in object that the host creates and drives through
// _IDTExtensibility2: it keeps the host's application, puts its button on a
// command bar of its own and an entry in the item context menu, and watches
// ItemSend. Everything runs on the host's user-interface thread.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "addin/ComServer.h"
#include "addin/EventSink.h"
#include "addin/VelmoraAddIn_TLB.h"
#include "com/ComObject.h"
#include "host/Office.h"

namespace velmora {

inline constexpr char16_t kToolBarName[] = u"VelmoraCommandBar";
inline constexpr char16_t kContextEntryTag[] = u"VelmoraBtn";
inline constexpr char16_t kContextMenuName[] = u"Context Menu";
inline constexpr char16_t kButtonCaption[] = u"Velmora";
inline constexpr char16_t kButtonTooltip[] = u"Remove or save attachments";
inline constexpr char16_t kButtonFaceResource[] = u"Ondrel";

class TVelmora final : public com::ComObject<IVelmora>, private TModuleObject {
public:
    TVelmora() = default;
    // A host that lets go without shutting the add-in down still gets its
    // sinks back, and the module forgets its application.
    ~TVelmora() override;

    // The five operations by name (dispatch identifiers 1 to 5), for
    // late-bound callers; hosts call them through the interface.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argErr) override;

    // Each returns S_OK or a failing code: E_UNEXPECTED, or the code of the
    // host call that failed, with error information (TakeErrorInfo) whose
    // description is the error's message and whose source is the ProgID.
    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, Office::ext_ConnectMode ConnectMode,
                                           IDispatch* AddInInst, SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnDisconnection(Office::ext_DisconnectMode RemoveMode, SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

protected:
    // IDispatch and _IDTExtensibility2 besides IVelmora.
    void* Find(REFIID iid) override;

private:
    void HookCommandBars(com::ComPtr<Office::_CommandBars> Bars);
    void OnCommandBarsUpdate();
    void InstallContextEntry(Office::CommandBar& Bar);
    void BeginBarChange(Office::CommandBar& Bar);
    void EndBarChange(Office::CommandBar& Bar);
    void ApplyButtonFace(Office::CommandBarControl& Control, bool AllowPaste);
    void ShowMainDialog(std::uint8_t OpenedFrom);
    void OnItemSend(IDispatch* Item, VARIANT_BOOL& Cancel);
    void DisconnectSinks();
    // Defined here: the command bar code disconnects sinks too.
    template <class TSink>
    static void DisconnectSink(IUnknown* Source, DWORD& Cookie, std::unique_ptr<TSink>& Sink) {
        if (Sink && Source != nullptr) TEventSink::Disconnect(Source, Sink->GetEventIID(), Cookie);
        Sink.reset();
    }

    com::ComPtr<IDispatch> HostApplication;
    com::ComPtr<Office::CommandBarControl> MainButton;
    com::ComPtr<Office::CommandBar> ToolBar;
    DWORD BarsCookie = 0;
    DWORD ButtonCookie = 0;
    DWORD ContextButtonCookie = 0;
    DWORD AppCookie = 0;
    std::unique_ptr<TCmdBarEventSink> BarsSink;
    std::unique_ptr<TButtonEventSink> ButtonSink;
    std::unique_ptr<TButtonEventSink> ContextButtonSink;
    std::unique_ptr<TAppEventsSink> AppSink;
    com::ComPtr<Office::_CommandBars> CommandBars;
    com::ComPtr<Office::_CommandBarButton> ContextButton;
    bool InBarChange = false;
    std::int32_t BarWasProtected = 0;
    bool SavedInBarChange = false;
    bool PictureSupported = false;
};

// A new add-in object, as the class factory makes it.
com::ComPtr<IUnknown> CreateVelmora();

// What a failing connection operation leaves for its caller, as COM's error
// object carries it. There is no process-wide error object on Linux: the
// module keeps the last one per thread.
struct TErrorInfo {
    std::u16string Description;
    std::u16string Source;
};
// The error information left on this thread, which it clears; none when
// nothing failed since.
std::optional<TErrorInfo> TakeErrorInfo();

}  // namespace velmora
