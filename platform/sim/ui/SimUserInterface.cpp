#include "sim/ui/SimUserInterface.h"

#include <iostream>
#include <stdexcept>

namespace sim::ui {

SimUserInterface::SimUserInterface() : SimUserInterface(std::cerr) {}

SimUserInterface::SimUserInterface(std::ostream& boxLog)
    : boxes_(desktop_, boxLog),
      scope_(host::UserInterface{&boxes_, &pump_, &clipboard_, &shell_, &folderBrowser_, this}) {}

MainDialog& SimUserInterface::Dialog() {
    if (dialog_ == nullptr) throw std::logic_error("no main dialog");
    return *dialog_;
}

ProgressLog& SimUserInterface::Progress() {
    if (progress_ == nullptr) throw std::logic_error("no progress window");
    return *progress_;
}

std::unique_ptr<host::MainDialogView> SimUserInterface::CreateMainDialog(host::MainDialogEvents& events) {
    auto view = std::make_unique<MainDialog>(events, desktop_, [this] { dialog_ = nullptr; });
    dialog_ = view.get();
    return view;
}

std::unique_ptr<host::ProgressLogView> SimUserInterface::CreateProgressLog(host::ProgressLogEvents& events) {
    auto view = std::make_unique<ProgressLog>(events, desktop_, [this] { progress_ = nullptr; });
    progress_ = view.get();
    return view;
}

std::unique_ptr<host::WelcomeView> SimUserInterface::CreateWelcome(host::WelcomeEvents& events) {
    return std::make_unique<Welcome>(
        events, desktop_, welcomeDocumentLoads_, whileWelcomeShown_, [this] { ++welcomeShowings_; }, nullptr);
}

}  // namespace sim::ui
