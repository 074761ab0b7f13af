#pragma once

#include <QString>

#include <cstdint>
#include <optional>

#include "download/BookRequest.h"
#include "download/DownloadStatus.h"

// How a download reads on its row, in the reader's words.

// "812 B", "45.3 KB", "2.1 MB", "1.0 GB" (steps of 1024).
QString SizeText(std::uint64_t bytes);
// SizeText of a second's bytes, with "/s".
QString SpeedText(double bytesPerSecond);
// 等待中, 下载中, 已完成, 失败：<reason>, 已取消, 已暂停：<reason>.
QString StateText(const DownloadStatus& status);
// Of the whole file, 0 to 100; nothing while its size is unknown. A saved book is whole.
std::optional<int> PercentOf(const DownloadStatus& status);
// The name under which the encodings are offered, in the order of SavedEncoding.
QString EncodingText(SavedEncoding encoding);
