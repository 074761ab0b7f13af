#pragma once

#include <QAbstractTableModel>

#include <optional>
#include <vector>

#include "download/BookRequest.h"
#include "download/DownloadStatus.h"

// The downloads of this run, one row a book, in the order they were added; what
// was asked for and the latest status the engine reported.
class DownloadTable : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Title, Size, Progress, Speed, State, ColumnCount };
    // Progress: the percentage (an int), or nothing while the size is unknown.
    static constexpr int PercentRole = Qt::UserRole;

    struct Entry {
        BookRequest request;
        DownloadStatus status;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A new row, waiting.
    int Append(DownloadId id, BookRequest request);
    // Takes the status into the row of its download; one the table does not hold is ignored.
    void Update(const DownloadStatus& status);

    const Entry& At(int row) const { return entries_.at(static_cast<std::size_t>(row)); }
    // The row of the book at address going to folder.
    std::optional<int> RowOf(const std::string& address, const std::filesystem::path& folder) const;
    std::optional<int> RowOf(DownloadId id) const;

private:
    std::vector<Entry> entries_;
};

// What the row names a book by: its title, else the last part of its address.
QString TitleOf(const DownloadTable::Entry& entry);
