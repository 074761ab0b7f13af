#include "ui/downloads/DownloadTable.h"

#include <QUrl>

#include "ui/downloads/DownloadText.h"

int DownloadTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int DownloadTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DownloadTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Entry& entry = At(index.row());
    const DownloadStatus& status = entry.status;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Title:
            return TitleOf(entry);
        case Size:
            return status.size ? SizeText(*status.size) : QStringLiteral(u"未知");
        case Progress:
            if (const auto percent = PercentOf(status))
                return QStringLiteral("%1%").arg(*percent);
            return status.received ? SizeText(status.received) : QString();
        case Speed:
            return status.state == DownloadState::Running && status.bytesPerSecond > 0
                       ? SpeedText(status.bytesPerSecond)
                       : QString();
        case State:
            return StateText(status);
        }
        break;
    case PercentRole:
        if (index.column() == Progress) {
            if (const auto percent = PercentOf(status))
                return *percent;
        }
        break;
    case Qt::ToolTipRole:
        if (index.column() == Title)
            return QString::fromStdString(entry.request.address);
        if (index.column() == State) {
            // A saved book's note (how its text was read, say) shows here.
            if (status.state == DownloadState::Saved && !status.reason.empty())
                return QString::fromStdString(status.reason);
            return StateText(status);
        }
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == Size || index.column() == Speed)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    }
    return {};
}

QVariant DownloadTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Title:
        return QStringLiteral(u"书名");
    case Size:
        return QStringLiteral(u"大小");
    case Progress:
        return QStringLiteral(u"进度");
    case Speed:
        return QStringLiteral(u"速度");
    case State:
        return QStringLiteral(u"状态");
    }
    return {};
}

int DownloadTable::Append(DownloadId id, BookRequest request)
{
    const int row = rowCount();
    beginInsertRows({}, row, row);
    DownloadStatus status;
    status.id = id;
    entries_.push_back({std::move(request), status});
    endInsertRows();
    return row;
}

void DownloadTable::Update(const DownloadStatus& status)
{
    const auto row = RowOf(status.id);
    if (!row)
        return;
    entries_[static_cast<std::size_t>(*row)].status = status;
    emit dataChanged(index(*row, 0), index(*row, ColumnCount - 1));
}

std::optional<int> DownloadTable::RowOf(const std::string& address, const std::filesystem::path& folder) const
{
    for (std::size_t row = 0; row < entries_.size(); ++row) {
        if (entries_[row].request.address == address && entries_[row].request.folder == folder)
            return static_cast<int>(row);
    }
    return std::nullopt;
}

std::optional<int> DownloadTable::RowOf(DownloadId id) const
{
    for (std::size_t row = 0; row < entries_.size(); ++row) {
        if (entries_[row].status.id == id)
            return static_cast<int>(row);
    }
    return std::nullopt;
}

QString TitleOf(const DownloadTable::Entry& entry)
{
    if (!entry.request.title.empty())
        return QString::fromStdString(entry.request.title);
    if (!entry.status.file.empty())
        return QString::fromStdString(entry.status.file.filename().string());
    return QUrl(QString::fromStdString(entry.request.address)).fileName();
}
