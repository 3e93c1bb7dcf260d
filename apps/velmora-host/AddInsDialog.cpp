#include "AddInsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

#include "base/Utf16.h"
#include "host/Platform.h"
#include "host/Registry.h"
#include "qt/Strings.h"

namespace velmora::desktop {

namespace {

enum Column { kName, kLibrary, kState, kColumns };

std::optional<sim::AddInRecord> RecordOf(const sim::AddInLoader& loader, const std::u16string& progId) {
    for (const auto& record : loader.AddIns()) {
        if (velmora::SameText(record.ProgId, progId)) return record;
    }
    return std::nullopt;
}

QString StateText(const std::optional<sim::AddInRecord>& record) {
    if (!record) return QObject::tr("Not loaded");
    switch (record->State) {
        case sim::AddInState::Connected: return QObject::tr("Loaded");
        case sim::AddInState::Disconnected: return QObject::tr("Unloaded");
        case sim::AddInState::Failed:
            return QObject::tr("Not loaded: %1 (0x%2)")
                .arg(qtui::ToQt(record->Problem))
                .arg(static_cast<quint32>(record->Result), 8, 16, QLatin1Char('0'));
    }
    return {};
}

}  // namespace

std::vector<RegisteredAddIn> RegisteredAddIns(std::u16string_view hostName) {
    host::Registry& registry = host::TheRegistry();
    const std::u16string key = u"Software\\Microsoft\\Office\\" + std::u16string(hostName) + u"\\AddIns";
    std::vector<RegisteredAddIn> found;
    for (auto root : {host::RegistryRoot::LocalMachine, host::RegistryRoot::CurrentUser}) {
        for (const auto& name : registry.SubKeyNames(root, key)) {
            bool known = false;
            for (const auto& addIn : found) known = known || velmora::SameText(addIn.ProgId, name);
            if (known) continue;
            RegisteredAddIn addIn{name, name, 0};
            const std::u16string path = key + u"\\" + name;
            if (auto friendly = registry.QueryValue(root, path, u"FriendlyName");
                friendly && friendly->Type == host::RegistryValueType::String && !friendly->Text.empty()) {
                addIn.FriendlyName = friendly->Text;
            }
            if (auto behavior = registry.QueryValue(root, path, u"LoadBehavior");
                behavior && behavior->Type == host::RegistryValueType::Dword) {
                addIn.LoadBehavior = behavior->Dword;
            }
            found.push_back(std::move(addIn));
        }
    }
    return found;
}

AddInsDialog::AddInsDialog(const sim::AddInLoader& loader, Action load, Action unload, QWidget* parent)
    : QDialog(parent),
      loader_(loader),
      load_(std::move(load)),
      unload_(std::move(unload)),
      table_(new QTableWidget(0, kColumns, this)),
      loadButton_(new QPushButton(tr("&Load"), this)),
      unloadButton_(new QPushButton(tr("&Unload"), this)) {
    setObjectName("AddInsDialog");
    setWindowTitle(tr("Add-ins"));
    table_->setObjectName("addIns");
    loadButton_->setObjectName("load");
    unloadButton_->setObjectName("unload");
    table_->setHorizontalHeaderLabels({tr("Add-in"), tr("Library"), tr("State")});
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(loadButton_, QDialogButtonBox::ActionRole);
    buttons->addButton(unloadButton_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(loadButton_, &QPushButton::clicked, this, [this] {
        load_(SelectedProgId());
        Refresh();
    });
    connect(unloadButton_, &QPushButton::clicked, this, [this] {
        unload_(SelectedProgId());
        Refresh();
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this, &AddInsDialog::UpdateButtons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Add-ins registered for this program:"), this));
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(720, 300);
    Refresh();
}

void AddInsDialog::Refresh() {
    const std::u16string selected = SelectedProgId();
    table_->setRowCount(0);
    for (const RegisteredAddIn& addIn : RegisteredAddIns(kHostName)) {
        const auto record = RecordOf(loader_, addIn.ProgId);
        const int row = table_->rowCount();
        table_->insertRow(row);
        auto* name = new QTableWidgetItem(qtui::ToQt(addIn.FriendlyName));
        name->setData(Qt::UserRole, qtui::ToQt(addIn.ProgId));
        name->setToolTip(qtui::ToQt(addIn.ProgId));
        table_->setItem(row, kName, name);
        table_->setItem(row, kLibrary, new QTableWidgetItem(record ? qtui::ToQt(record->LibraryPath) : QString()));
        table_->setItem(row, kState, new QTableWidgetItem(StateText(record)));
    }
    if (!Select(selected) && table_->rowCount() > 0) table_->selectRow(0);
    table_->resizeColumnToContents(kName);
    UpdateButtons();
}

bool AddInsDialog::Select(const std::u16string& progId) {
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (velmora::SameText(qtui::FromQt(table_->item(row, kName)->data(Qt::UserRole).toString()), progId)) {
            table_->selectRow(row);
            return true;
        }
    }
    return false;
}

std::u16string AddInsDialog::SelectedProgId() const {
    const auto rows = table_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return {};
    return qtui::FromQt(table_->item(rows.first().row(), kName)->data(Qt::UserRole).toString());
}

void AddInsDialog::UpdateButtons() {
    const std::u16string progId = SelectedProgId();
    const auto record = RecordOf(loader_, progId);
    const bool connected = record && record->State == sim::AddInState::Connected;
    loadButton_->setEnabled(!progId.empty() && !connected);
    unloadButton_->setEnabled(connected);
}

}  // namespace velmora::desktop
