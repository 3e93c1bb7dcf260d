#include "addin/Automation.h"
#include "addin/ButtonFace.h"
#include "addin/CmdBarHack.h"
#include "addin/ModuleState.h"
#include "addin/uVelmora.h"
#include "host/UserInterface.h"

namespace velmora {

void TVelmora::HookCommandBars(com::ComPtr<Office::_CommandBars> Bars) {
    CommandBars = std::move(Bars);
    BarsSink = std::make_unique<TCmdBarEventSink>([this] { OnCommandBarsUpdate(); });
    BarsCookie = TEventSink::Connect(CommandBars.Get(), *BarsSink);
    OnCommandBarsUpdate();
}

// Puts the context entry back whenever it is missing. Any error ends it
// silently: the entry is then missing until the next update.
void TVelmora::OnCommandBarsUpdate() {
    if (InBarChange) return;
    try {
        com::ComPtr<Office::_CommandBars> Bars = GetHostCommandBars(ModuleApplication().Get());
        com::ComPtr<Office::CommandBar> contextMenu;
        const std::int32_t count = Bars->Count();
        for (std::int32_t i = 1; i <= count && !contextMenu; ++i) {
            com::ComPtr<Office::CommandBar> bar = Bars->Item(i);
            if (bar->Name() == kContextMenuName) contextMenu = bar;
        }
        if (contextMenu) InstallContextEntry(*contextMenu);
    } catch (...) {
        // See above.
    }
}

void TVelmora::InstallContextEntry(Office::CommandBar& Bar) {
    try {
        com::ComPtr<Office::CommandBarControl> Found =
            Bar.FindControl(Office::msoControlButton, std::nullopt, kContextEntryTag, std::nullopt, std::nullopt);
        if (Found) {
            Found->SetPriority(1);
            return;
        }

        BeginBarChange(Bar);
        com::ComPtr<Office::CommandBarControl> New;
        try {
            New = Bar.Controls()->Add(Office::msoControlButton, std::nullopt, std::nullopt, std::nullopt,
                                      std::nullopt);
            New->SetTag(kContextEntryTag);
            New->SetCaption(kButtonCaption);
            New->SetPriority(1);
            New->SetVisible(true);
            ApplyButtonFace(*New, false);
        } catch (...) {
            // The bar gets its protection back and the updates resume even
            // when the entry could not be made.
            try {
                EndBarChange(Bar);
            } catch (...) {
                // The first error is the one that counts.
            }
            throw;
        }
        EndBarChange(Bar);

        if (ContextButtonSink) {
            DisconnectSink(ContextButton.Get(), ContextButtonCookie, ContextButtonSink);
            ContextButton.Reset();
        }
        ContextButton = New.As<Office::_CommandBarButton>();
        ContextButtonSink = std::make_unique<TButtonEventSink>(
            [this](IDispatch*, VARIANT_BOOL&) { ShowMainDialog(kOpenedFromContextMenu); });
        ContextButtonCookie = TEventSink::Connect(ContextButton.Get(), *ContextButtonSink);
    } catch (...) {
        // Silently: see OnCommandBarsUpdate.
    }
}

// InBarChange keeps the OnUpdate events that the change itself raises from
// coming back into OnCommandBarsUpdate.
void TVelmora::BeginBarChange(Office::CommandBar& Bar) {
    SavedInBarChange = InBarChange;
    InBarChange = true;
    try {
        BarWasProtected = Bar.Protection() & Office::msoBarNoCustomize;
        if (BarWasProtected == 1) Bar.SetProtection(Bar.Protection() & ~Office::msoBarNoCustomize);
    } catch (...) {
        InBarChange = SavedInBarChange;
        throw;
    }
}

void TVelmora::EndBarChange(Office::CommandBar& Bar) {
    InBarChange = SavedInBarChange;
    if (BarWasProtected == 1) Bar.SetProtection(Bar.Protection() | Office::msoBarNoCustomize);
}

// Style, face and tooltip, set by name as hosts whose type library lacks
// Picture still take the others. A face that cannot be set is left out.
void TVelmora::ApplyButtonFace(Office::CommandBarControl& Control, bool AllowPaste) {
    SetProperty(&Control, u"Style", Variant::OfInt(Office::msoButtonIconAndCaption));
    if (PictureSupported || AllowPaste) {
        try {
            std::vector<std::uint8_t> bitmap = LoadBitmapResource(kButtonFaceResource);
            if (!bitmap.empty()) {
                bool faceSet = false;
                if (PictureSupported) {
                    try {
                        auto picture = com::MakeCom<TFacePicture>(bitmap);
                        SetProperty(&Control, u"Picture", Variant::OfDispatch(picture.Get()));
                        faceSet = true;
                    } catch (...) {
                        PictureSupported = false;
                    }
                }
                if (AllowPaste && !faceSet) {
                    // The clipboard's earlier content is lost.
                    host::TheClipboard().SetBitmap(bitmap);
                    auto button = com::ComPtr<Office::CommandBarControl>(&Control).As<Office::_CommandBarButton>();
                    if (button) button->PasteFace();
                }
            }
        } catch (...) {
            // No face, as said above.
        }
    }
    SetProperty(&Control, u"TooltipText", Variant::OfText(kButtonTooltip));
}

}  // namespace velmora
