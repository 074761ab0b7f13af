#include "bench/Figures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace {

std::string Format(double value, Quantity quantity)
{
    char text[64];
    if (quantity == Quantity::Bytes)
        std::snprintf(text, sizeof text, "%.1f MiB", value / (1024.0 * 1024.0));
    else if (value < 1e-3)
        std::snprintf(text, sizeof text, "%.2f us", value * 1e6);
    else if (value < 1.0)
        std::snprintf(text, sizeof text, "%.2f ms", value * 1e3);
    else
        std::snprintf(text, sizeof text, "%.3f s", value);
    return text;
}

}  // namespace

void PrintFigure(const Figure& figure)
{
    std::printf("FIGURE\t%s\t%s\t%s\t%.2fx\t<= %gx\t%s\n", figure.name.c_str(),
                Format(figure.ours, figure.quantity).c_str(), Format(figure.floor, figure.quantity).c_str(),
                figure.ratio, figure.targetRatio, figure.ratio <= figure.targetRatio ? "met" : "MISSED");
    std::fflush(stdout);
}

void PrintNote(const std::string& text)
{
    std::printf("NOTE\t%s\n", text.c_str());
    std::fflush(stdout);
}

double Median(std::vector<double> values)
{
    if (values.empty())
        throw std::invalid_argument("median of nothing");
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void AddPair(PairedRuns& runs, double ours, double floor)
{
    runs.ours.push_back(ours);
    runs.floor.push_back(floor);
}

bool FloorGoesFirst(const PairedRuns& runs)
{
    return runs.ours.size() % 2 == 1;
}

Figure PairedFigure(const std::string& name, const PairedRuns& runs, double targetRatio, Quantity quantity)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < runs.ours.size(); ++i)
        ratios.push_back(runs.ours[i] / runs.floor[i]);
    return {name, Median(runs.ours), Median(runs.floor), Median(ratios), targetRatio, quantity};
}
