#pragma once

// The line each benchmark program prints per figure, which the bench command
// gathers into its table: tab-separated, after the word FIGURE.

#include <string>
#include <vector>

enum class Quantity { Seconds, Bytes };

struct Figure {
    std::string name;
    double ours;
    double floor;
    double ratio;        // ours / floor, or the median of paired ratios
    double targetRatio;  // at most this
    Quantity quantity;
};

void PrintFigure(const Figure& figure);

// A line the bench command shows under its table: what a figure alone does not say.
void PrintNote(const std::string& text);

double Median(std::vector<double> values);

// Seconds since an arbitrary fixed point, monotonic.
double Now();

// Runs measured in pairs, ours and the floor back to back, so that both see the
// same state of a shared machine.
struct PairedRuns {
    std::vector<double> ours;
    std::vector<double> floor;
};

void AddPair(PairedRuns& runs, double ours, double floor);
// Which of the pair goes first alternates from pair to pair.
bool FloorGoesFirst(const PairedRuns& runs);

// Measures one pair, in the order its turn gives, and adds it to runs.
template <typename Ours, typename Floor>
void MeasurePair(PairedRuns& runs, Ours ours, Floor floor)
{
    if (FloorGoesFirst(runs)) {
        const double floorFirst = floor();
        AddPair(runs, ours(), floorFirst);
    } else {
        const double oursFirst = ours();
        AddPair(runs, oursFirst, floor());
    }
}
// The medians of both sides, and the median of the ratios pair by pair.
Figure PairedFigure(const std::string& name, const PairedRuns& runs, double targetRatio, Quantity quantity);
