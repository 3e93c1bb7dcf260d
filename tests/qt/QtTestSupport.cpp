#include "QtTestSupport.h"

#include <QMessageBox>

namespace qt_test {

QWidget* TopLevel(const QString& objectName) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == objectName) return window;
    }
    return nullptr;
}

QAbstractButton* ButtonWithText(QWidget* window, const QString& text) {
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->text() == text) return button;
    }
    return nullptr;
}

ModalAnswers::ModalAnswers() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
}

ModalAnswers::~ModalAnswers() {
    EXPECT_EQ(answered_, static_cast<int>(actions_.size())) << "modal windows answered";
}

ModalAnswers& ModalAnswers::Then(Action action) {
    actions_.push_back(std::move(action));
    return *this;
}

ModalAnswers& ModalAnswers::Click(const QString& buttonText) {
    return Then([this, buttonText](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        ASSERT_NE(box, nullptr) << "not a message box: " << modal.windowTitle().toStdString();
        texts_.append(box->text());
        QAbstractButton* button = ButtonWithText(box, buttonText);
        ASSERT_NE(button, nullptr) << "no button " << buttonText.toStdString() << " in "
                                   << box->text().toStdString();
        button->click();
    });
}

void ModalAnswers::Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == lastModal_) {
        ++ticks_;
        if (modal != nullptr && ticks_ > 1000) {
            ADD_FAILURE() << "a modal window stayed open: " << modal->windowTitle().toStdString();
            QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
            ticks_ = 0;
        }
        return;
    }
    ticks_ = 0;
    lastModal_ = modal;
    if (answered_ >= static_cast<int>(actions_.size())) {
        ADD_FAILURE() << "an unexpected modal window: " << modal->windowTitle().toStdString();
        QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
        return;
    }
    const Action action = actions_[static_cast<std::size_t>(answered_++)];
    action(*modal);
}

std::u16string U16(const QString& text) {
    return text.toStdU16String();
}

}  // namespace qt_test
