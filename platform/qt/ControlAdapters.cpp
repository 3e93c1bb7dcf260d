#include "ControlAdapters.h"

#include "Strings.h"

namespace qtui {

bool CheckBoxAdapter::Checked() const {
    return box_->isChecked();
}

void CheckBoxAdapter::SetChecked(bool checked) {
    box_->setChecked(checked);
}

bool CheckBoxAdapter::Enabled() const {
    return box_->isEnabled();
}

void CheckBoxAdapter::SetEnabled(bool enabled) {
    box_->setEnabled(enabled);
}

bool RadioButtonAdapter::Checked() const {
    return button_->isChecked();
}

void RadioButtonAdapter::SetChecked(bool checked) {
    button_->setChecked(checked);
}

bool RadioButtonAdapter::Enabled() const {
    return button_->isEnabled();
}

void RadioButtonAdapter::SetEnabled(bool enabled) {
    button_->setEnabled(enabled);
}

// A caption carries names and subjects from the host: an ampersand in them
// is a character, not the mark of an accelerator key.
std::u16string RadioButtonAdapter::Caption() const {
    return FromQt(button_->text().replace(QStringLiteral("&&"), QStringLiteral("&")));
}

void RadioButtonAdapter::SetCaption(const std::u16string& caption) {
    button_->setText(ToQt(caption).replace(u'&', QStringLiteral("&&")));
}

int RadioGroupAdapter::ItemIndex() const {
    return group_->ItemIndex();
}

void RadioGroupAdapter::SetItemIndex(int index) {
    group_->SetItemIndex(index);
}

bool RadioGroupAdapter::Enabled() const {
    return group_->isEnabled();
}

void RadioGroupAdapter::SetEnabled(bool enabled) {
    group_->setEnabled(enabled);
}

std::u16string TextFieldAdapter::Text() const {
    return FromQt(edit_->text());
}

void TextFieldAdapter::SetText(const std::u16string& text) {
    edit_->setText(ToQt(text));
}

int UpDownAdapter::Position() const {
    return arrows_->Position();
}

void UpDownAdapter::SetPosition(int position) {
    arrows_->SetPosition(position);
}

std::u16string LabelAdapter::Caption() const {
    return FromQt(label_->text());
}

void LabelAdapter::SetCaption(const std::u16string& caption) {
    label_->setText(ToQt(caption));
}

std::u16string ButtonAdapter::Caption() const {
    return FromQt(button_->text());
}

void ButtonAdapter::SetCaption(const std::u16string& caption) {
    button_->setText(ToQt(caption));
}

int PageControlAdapter::ActivePage() const {
    return pages_->ActivePage();
}

void PageControlAdapter::SetActivePage(int page) {
    pages_->SetActivePage(page);
}

void LogViewAdapter::Clear() {
    log_->ClearLog();
}

void LogViewAdapter::Append(const std::u16string& line) {
    log_->Append(ToQt(line));
}

void LogViewAdapter::RewriteLastLine(const std::u16string& line) {
    log_->RewriteLastLine(ToQt(line));
}

std::u16string LogViewAdapter::Text() const {
    return FromQt(log_->Lines().join(QStringLiteral("\r\n")));
}

void LogViewAdapter::SelectAll() {
    log_->Flush();
    log_->selectAll();
}

}  // namespace qtui
