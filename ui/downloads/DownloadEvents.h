#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <map>
#include <mutex>

#include "download/DownloadStatus.h"

// Carries the engine's reports from its worker thread to the user-interface thread.
// Only the latest status of each download is kept until it is delivered, and
// deliveries come at most every interval, so a transfer at full speed cannot flood
// the event loop that the window's clicks go through.
class DownloadEvents : public QObject, public DownloadObserver {
    Q_OBJECT

public:
    explicit DownloadEvents(std::chrono::milliseconds interval = std::chrono::milliseconds(100));

    // On the engine's worker thread.
    void DownloadChanged(const DownloadStatus& status) override;

signals:
    // On the user-interface thread, in the order of the downloads' ids.
    void StatusChanged(const DownloadStatus& status);

private:
    void ScheduleDelivery();
    void Deliver();

    const std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point lastDelivery_;
    QTimer delay_;
    std::mutex mutex_;
    std::map<DownloadId, DownloadStatus> pending_;  // under mutex_
    bool deliveryPosted_ = false;                   // under mutex_
};
