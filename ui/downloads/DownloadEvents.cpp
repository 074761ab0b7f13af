#include "ui/downloads/DownloadEvents.h"

#include <utility>

DownloadEvents::DownloadEvents(std::chrono::milliseconds interval) : interval_(interval)
{
    delay_.setSingleShot(true);
    delay_.callOnTimeout(this, &DownloadEvents::Deliver);
}

void DownloadEvents::DownloadChanged(const DownloadStatus& status)
{
    std::lock_guard lock(mutex_);
    pending_[status.id] = status;
    if (std::exchange(deliveryPosted_, true))
        return;
    // Posted to this object's thread, the user interface's.
    QMetaObject::invokeMethod(this, &DownloadEvents::ScheduleDelivery, Qt::QueuedConnection);
}

void DownloadEvents::ScheduleDelivery()
{
    const auto since = std::chrono::steady_clock::now() - lastDelivery_;
    if (since >= interval_)
        Deliver();
    else
        delay_.start(std::chrono::ceil<std::chrono::milliseconds>(interval_ - since));
}

void DownloadEvents::Deliver()
{
    std::map<DownloadId, DownloadStatus> statuses;
    {
        std::lock_guard lock(mutex_);
        statuses.swap(pending_);
        deliveryPosted_ = false;
    }
    lastDelivery_ = std::chrono::steady_clock::now();
    for (const auto& [id, status] : statuses)
        emit StatusChanged(status);
}
