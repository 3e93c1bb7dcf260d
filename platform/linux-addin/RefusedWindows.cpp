#include "RefusedWindows.h"

#include <iostream>

namespace linuxaddin {

namespace {

[[noreturn]] void Refuse() {
    throw host::HostError(E_FAIL,
                          u"Velmora opens no window here: the host runs no Qt application, and it did not ask for "
                          u"the headless windows (VELMORA_HEADLESS_UI=1 before loading libvelmora.so)");
}

}  // namespace

RefusedWindows::RefusedWindows()
    : boxes_(desktop_, std::cerr), scope_(host::UserInterface{&boxes_, nullptr, nullptr, nullptr, nullptr, this}) {}

std::unique_ptr<host::MainDialogView> RefusedWindows::CreateMainDialog(host::MainDialogEvents&) { Refuse(); }

std::unique_ptr<host::ProgressLogView> RefusedWindows::CreateProgressLog(host::ProgressLogEvents&) { Refuse(); }

std::unique_ptr<host::WelcomeView> RefusedWindows::CreateWelcome(host::WelcomeEvents&) { Refuse(); }

}  // namespace linuxaddin
