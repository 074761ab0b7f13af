#include "retrieval/StatusLine.h"

std::string StatusLine;
std::function<void(const std::string&)> StatusLineChanged;

void WriteStatusLine(std::string text)
{
    StatusLine = std::move(text);
    if (StatusLineChanged)
        StatusLineChanged(StatusLine);
}
