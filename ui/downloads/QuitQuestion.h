#pragma once

class QWidget;

// Asks, over parent, whether to quit while unfinished books still wait or run:
// 是 answers yes, 否 (and Escape) no.
bool QuitWhileDownloading(QWidget& parent, int unfinished);
