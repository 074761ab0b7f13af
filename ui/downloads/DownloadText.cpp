#include "ui/downloads/DownloadText.h"

#include <algorithm>
#include <array>

QString SizeText(std::uint64_t bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    static const std::array<const char*, 4> units = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < units.size()) {
        value /= 1024;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString SpeedText(double bytesPerSecond)
{
    return SizeText(static_cast<std::uint64_t>(std::max(0.0, bytesPerSecond))) + QStringLiteral("/s");
}

QString StateText(const DownloadStatus& status)
{
    const QString reason = QString::fromStdString(status.reason);
    switch (status.state) {
    case DownloadState::Waiting:
        return QStringLiteral(u"等待中");
    case DownloadState::Running:
        return QStringLiteral(u"下载中");
    case DownloadState::Saved:
        return QStringLiteral(u"已完成");
    case DownloadState::Failed:
        return QStringLiteral(u"失败：") + reason;
    case DownloadState::Cancelled:
        return QStringLiteral(u"已取消");
    case DownloadState::Paused:
        return QStringLiteral(u"已暂停：") + reason;
    }
    return {};
}

std::optional<int> PercentOf(const DownloadStatus& status)
{
    if (status.state == DownloadState::Saved)
        return 100;
    if (!status.size || *status.size == 0)
        return std::nullopt;
    const std::uint64_t received = std::min(status.received, *status.size);
    return static_cast<int>(received * 100 / *status.size);
}

QString EncodingText(SavedEncoding encoding)
{
    switch (encoding) {
    case SavedEncoding::Utf8:
        return QStringLiteral("UTF-8");
    case SavedEncoding::Utf8Bom:
        return QStringLiteral(u"UTF-8（带 BOM）");
    case SavedEncoding::Gb18030:
        return QStringLiteral("GB18030");
    case SavedEncoding::Original:
        return QStringLiteral(u"网站原编码");
    }
    return {};
}
