#include "MessageBoxes.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

#include "Strings.h"

namespace qtui {

namespace {

// A QMessageBox closed by its close box reports its Esc button as clicked;
// this one remembers that it was the close box.
class AnswerBox : public QMessageBox {
public:
    bool ClosedByFrame() const { return closedByFrame_; }

protected:
    void closeEvent(QCloseEvent* event) override {
        closedByFrame_ = true;
        QMessageBox::closeEvent(event);
    }

private:
    bool closedByFrame_ = false;
};

QMessageBox::Icon IconOf(host::MessageIcon icon) {
    switch (icon) {
        case host::MessageIcon::Information: return QMessageBox::Information;
        case host::MessageIcon::Question: return QMessageBox::Question;
        case host::MessageIcon::Warning: return QMessageBox::Warning;
        case host::MessageIcon::Error: return QMessageBox::Critical;
        case host::MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

int QtMessageBoxes::Show(const host::MessageBoxRequest& request) {
    if (request.Buttons.empty()) {
        throw host::HostError(E_INVALIDARG, u"A message box needs at least one button");
    }
    AnswerBox box;
    box.setWindowTitle(ToQt(request.Caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(ToQt(request.Text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setIcon(IconOf(request.Icon));
    box.setProperty(SystemBoxProperty, request.SystemBox);
    std::vector<QPushButton*> buttons;
    for (const std::u16string& caption : request.Buttons) {
        buttons.push_back(box.addButton(ToQt(caption), QMessageBox::ActionRole));
    }
    const auto pick = [&buttons](std::size_t index) { return buttons.at(std::min(index, buttons.size() - 1)); };
    box.setDefaultButton(pick(request.DefaultButton));
    box.setEscapeButton(pick(request.EscapeButton));
    box.exec();

    if (box.ClosedByFrame()) return host::MessageBoxDismissed;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) return static_cast<int>(i);
    }
    return host::MessageBoxDismissed;
}

}  // namespace qtui
