#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "mailstore/MessageSummary.h"

namespace velmora::desktop {

// The item list of the folder shown: one row per message file. Each column
// sorts by its value (SortRole), not by its text.
class ItemTable : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Subject, From, Received, Size, Attachments, ColumnCount };
    static constexpr int SortRole = Qt::UserRole;

    explicit ItemTable(QObject* parent = nullptr);

    void Reset(std::vector<mailstore::MessageSummary> rows);
    const mailstore::MessageSummary& Row(int row) const { return rows_.at(static_cast<std::size_t>(row)); }
    const std::vector<mailstore::MessageSummary>& Rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // "12 KB" as lists of mail show sizes: whole kilobytes, rounded up.
    static QString SizeText(std::uint64_t bytes);

private:
    std::vector<mailstore::MessageSummary> rows_;
};

}  // namespace velmora::desktop
