#include "ItemTable.h"

#include <QDateTime>
#include <QLocale>

#include "qt/Strings.h"

namespace velmora::desktop {

ItemTable::ItemTable(QObject* parent) : QAbstractTableModel(parent) {}

void ItemTable::Reset(std::vector<mailstore::MessageSummary> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int ItemTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ItemTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QString ItemTable::SizeText(std::uint64_t bytes) {
    return QLocale().toString(static_cast<qulonglong>((bytes + 1023) / 1024)) + QStringLiteral(" KB");
}

QVariant ItemTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const mailstore::MessageSummary& row = Row(index.row());
    if (role == Qt::ToolTipRole && !row.Problem.empty()) {
        return tr("This message cannot be read: %1").arg(qtui::ToQt(row.Problem));
    }
    if (role != Qt::DisplayRole && role != SortRole) return {};
    const bool display = role == Qt::DisplayRole;
    switch (index.column()) {
        case Subject:
            if (!row.Problem.empty()) return tr("(unreadable message)");
            return qtui::ToQt(row.Subject);
        case From: return qtui::ToQt(row.From);
        case Received: {
            if (!display) return static_cast<qlonglong>(row.Date);
            return QLocale().toString(QDateTime::fromSecsSinceEpoch(row.Date), QLocale::ShortFormat);
        }
        case Size: return display ? QVariant(SizeText(row.Size)) : QVariant(static_cast<qulonglong>(row.Size));
        case Attachments:
            if (!display) return row.Attachments;
            return row.Attachments == 0 ? QString() : QString::number(row.Attachments);
        default: return {};
    }
}

QVariant ItemTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case Subject: return tr("Subject");
        case From: return tr("From");
        case Received: return tr("Received");
        case Size: return tr("Size");
        case Attachments: return tr("Attachments");
        default: return {};
    }
}

}  // namespace velmora::desktop
