#pragma once

// Which of the add-in's windows has the focus. A window that loses it to
// another window of the add-in is told so, as a toolkit would deactivate it.

namespace sim::ui {

class Focusable {
public:
    virtual ~Focusable() = default;
    virtual bool Visible() const = 0;
    // Another window of the add-in took the focus from this one.
    virtual void LostFocus() {}
};

class Desktop {
public:
    // The window takes the focus (shown, raised, or a modal window opened).
    void Activate(Focusable& window);
    // A hidden or destroyed window gives the focus up.
    void Release(const Focusable& window);
    // The user turns to another program: the add-in's windows are not told.
    void FocusOtherProgram() { active_ = nullptr; }
    const Focusable* Active() const { return active_; }

    // A modal window of the add-in for the scope's lifetime: it takes the
    // focus, and the window that had it gets it back when still visible.
    class Modal {
    public:
        Modal(Desktop& desktop, Focusable& modal);
        ~Modal();
        Modal(const Modal&) = delete;
        Modal& operator=(const Modal&) = delete;

    private:
        Desktop& desktop_;
        Focusable& modal_;
        Focusable* previous_;
    };

private:
    Focusable* active_ = nullptr;
};

}  // namespace sim::ui
