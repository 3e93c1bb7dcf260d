#include "QtWelcomeView.h"

#include "EventGuard.h"
#include "Strings.h"

namespace qtui {

QtWelcomeView::QtWelcomeView(host::WelcomeEvents& events) : window_(std::make_unique<WelcomeWindow>()) {
    QObject::connect(window_->RichEdit1, &LinkBrowser::linkClicked, window_.get(), [&events](const QString& text) {
        CallEvent([&] { events.LinkClicked(FromQt(text)); });
    });
}

void QtWelcomeView::LoadDocument() {
    if (!window_->LoadDocument(WelcomeWindow::DocumentPath)) {
        throw host::HostError(HRESULT_FROM_WIN32(ERROR_INVALID_DATA), u"The welcome document cannot be loaded");
    }
}

void QtWelcomeView::ShowModal() {
    window_->exec();
}

}  // namespace qtui
