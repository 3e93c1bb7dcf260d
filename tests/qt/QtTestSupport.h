#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <ostream>
#include <string>

// GoogleTest shows Qt strings as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace qt_test {

// A bounded wait for a condition while the event loop runs (QTest's QTRY_
// loop, reporting to GoogleTest).
#define EXPECT_SOON(condition) EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, 5000)) \
    << "still false after 5 s: " #condition

// A top-level window by its object name; null when there is none.
QWidget* TopLevel(const QString& objectName);

// A child of a window by object name; fails the test when missing.
template <class Widget>
Widget* Child(QWidget* window, const char* name) {
    Widget* child = window ? window->findChild<Widget*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(child, nullptr) << "no " << name;
    return child;
}

// The push button of a modal box or dialog that shows that text.
QAbstractButton* ButtonWithText(QWidget* window, const QString& text);

// Acts on the modal windows that open while it lives: each new modal window
// gets the next action. When no action is left, or when a window stays
// open for 10 s, the window is rejected so that the test goes on, and the
// test fails; so does an action that never found its window.
class ModalAnswers {
public:
    using Action = std::function<void(QWidget& modal)>;

    ModalAnswers();
    ~ModalAnswers();
    ModalAnswers(const ModalAnswers&) = delete;
    ModalAnswers& operator=(const ModalAnswers&) = delete;

    ModalAnswers& Then(Action action);
    // Clicks the button with that text in a message box.
    ModalAnswers& Click(const QString& buttonText);

    int Answered() const { return answered_; }
    // The text of every message box answered, in order.
    const QStringList& Texts() const { return texts_; }

private:
    void Tick();

    QTimer timer_;
    std::vector<Action> actions_;
    QPointer<QWidget> lastModal_;
    int answered_ = 0;
    int ticks_ = 0;
    QStringList texts_;
};

std::u16string U16(const QString& text);

}  // namespace qt_test
