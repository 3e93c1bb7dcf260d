#pragma once

#include <QDialog>
#include <QPushButton>
#include <QTableWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sim/AddInLoader.h"

namespace velmora::desktop {

// The host's name in the AddIns keys, as the mail client it stands in for has it.
inline constexpr char16_t kHostName[] = u"Outlook";

// An add-in registered for the host, as its AddIns key describes it.
struct RegisteredAddIn {
    std::u16string ProgId;
    std::u16string FriendlyName;
    std::uint32_t LoadBehavior = 0;
};

// The add-ins registered under HKEY_LOCAL_MACHINE, then HKEY_CURRENT_USER
// (a ProgID once), of "Software\Microsoft\Office\<host>\AddIns".
std::vector<RegisteredAddIn> RegisteredAddIns(std::u16string_view hostName);

// The add-ins dialog: every registered add-in with its library and its
// state in this run; Unload disconnects the one selected as a user does
// (OnDisconnection with RemoveMode 1), Load connects it.
class AddInsDialog : public QDialog {
    Q_OBJECT

public:
    using Action = std::function<void(const std::u16string& progId)>;

    AddInsDialog(const sim::AddInLoader& loader, Action load, Action unload, QWidget* parent);

    // Shows the states as they are now.
    void Refresh();
    QTableWidget& Table() { return *table_; }
    // Selects the row of that ProgID; false when there is none.
    bool Select(const std::u16string& progId);

private:
    std::u16string SelectedProgId() const;
    void UpdateButtons();

    const sim::AddInLoader& loader_;
    Action load_;
    Action unload_;
    QTableWidget* table_;
    QPushButton* loadButton_;
    QPushButton* unloadButton_;
};

}  // namespace velmora::desktop
