// A click on a category button of the real window while two books download at
// full speed from the catalogue site, against the same click with nothing
// downloading. The site is a process of its own on 127.0.0.1 (see RemoteSite),
// asked for everything through the proxy variable. The downloads go through the
// program's own book downloads, so their reports reach the window's thread as in
// the program; a book that ends is followed by the next at once. Paired run by
// run, alternating which goes first; the books are started before and stopped
// after their side of each pair, outside the time measured.
//
// How fast the books arrive during each measured click is printed beside the
// figure, against how fast they arrive just before it: what the part files grew
// by, over the time. A book that ends within that time is not counted, so the
// speeds are, if anything, low.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/Figures.h"
#include "bench/ListingPages.h"
#include "bench/RemoteSite.h"
#include "catalogue/SampleCatalogue.h"
#include "navigation/CategoryTable.h"
#include "navigation/NavigationState.h"
#include "ui/ApplicationSetup.h"
#include "ui/downloads/BookDownloads.h"
#include "ui/downloads/DownloadText.h"
#include "ui/window/Unit1.h"

namespace {

constexpr int DeadlineMs = 60000;
constexpr std::size_t BookBytes = 384u << 20;
constexpr int Pairs = 25;

// A long GBK novel: the sample catalogue's text over and over.
std::string BookText()
{
    const std::string chapter = SampleBookText(5, 5);
    std::string text;
    while (text.size() < BookBytes)
        text += chapter;
    return text;
}

std::string BookAddress(int number)
{
    return ListingBaseAddress + "/down/bench/" + std::to_string(number) + ".txt";
}

// The size of each book part in folder, by name.
std::map<QString, qint64> PartSizes(const QString& folder)
{
    std::map<QString, qint64> sizes;
    for (const QFileInfo& part : QDir(folder).entryInfoList({QStringLiteral("*.part")}, QDir::Files))
        sizes[part.fileName()] = part.size();
    return sizes;
}

// Bytes a second that the parts grew by since before, a part that is new from nothing.
double Speed(const std::map<QString, qint64>& before, const std::map<QString, qint64>& after, double seconds)
{
    qint64 grown = 0;
    for (const auto& [name, size] : after) {
        const auto was = before.find(name);
        grown += size - (was == before.end() ? 0 : was->second);
    }
    return static_cast<double>(grown) / seconds;
}

class Bench {
public:
    Bench(TForm1& form, BookDownloads& downloads, const QString& folder)
        : form_(form), downloads_(downloads), folder_(folder)
    {
        QObject::connect(&downloads_.Table(), &QAbstractItemModel::dataChanged, [this] {
            if (keepTwoRunning_)
                TopUp();
        });
    }

    double Click()
    {
        TsuiButton* const buttons[] = {form_.suiButton1, form_.suiButton2, form_.suiButton3, form_.suiButton4,
                                       form_.suiButton5, form_.suiButton6, form_.suiButton7, form_.suiButton8,
                                       form_.suiButton9, form_.suiButton10, form_.suiButton11};
        const int row = row_++ % 11 + 1;
        const auto parts = keepTwoRunning_ ? PartSizes(folder_) : std::map<QString, qint64>{};
        const double start = Now();
        QTest::mouseClick(buttons[row - 1], Qt::LeftButton);
        const double elapsed = Now() - start;
        if (keepTwoRunning_)
            duringClicks_.push_back(Speed(parts, PartSizes(folder_), elapsed));
        const std::string address = ListingAddress(CategoryTable[static_cast<std::size_t>(row - 1)], 1);
        if (CurrentListingAddress != address)
            throw std::runtime_error("the click did not load " + address);
        QTest::qWait(50);  // the pane paints what it holds
        return elapsed;
    }

    void TopUp()
    {
        while (downloads_.UnfinishedCount() < 2) {
            downloads_.Add({{BookAddress(book_), "书" + std::to_string(book_)}});
            ++book_;
        }
    }

    // Two books transferring, and two again whenever one ends, until StopBooks.
    void StartTwoBooks()
    {
        keepTwoRunning_ = true;
        TopUp();
        const int first = downloads_.Table().rowCount() - 2;
        const auto flowing = [&](int row) {
            const DownloadStatus& status = downloads_.Table().At(row).status;
            return status.received > (1u << 20);
        };
        if (!QTest::qWaitFor([&] { return flowing(first) && flowing(first + 1); }, DeadlineMs)) {
            const DownloadStatus& status = downloads_.Table().At(first).status;
            throw std::runtime_error("the two books did not start: " + StateText(status).toStdString() + ", "
                                     + std::to_string(status.received) + " bytes");
        }
        const auto parts = PartSizes(folder_);
        const double start = Now();
        QTest::qWait(SpeedSampleMs);
        beforeClicks_.push_back(Speed(parts, PartSizes(folder_), Now() - start));
    }

    double ClickWhileTwoBooksDownload()
    {
        StartTwoBooks();
        const double seconds = Click();
        StopBooks();
        return seconds;
    }

    void StopBooks()
    {
        keepTwoRunning_ = false;
        downloads_.CancelUnfinished();
        if (!QTest::qWaitFor([&] { return downloads_.UnfinishedCount() == 0; }, DeadlineMs))
            throw std::runtime_error("the books were not cancelled");
        QDir folder(folder_);
        for (const QString& name : folder.entryList(QDir::Files))
            folder.remove(name);
    }

    // Bytes a second of both books together, during each measured click and just before it.
    const std::vector<double>& DuringClicks() const { return duringClicks_; }
    const std::vector<double>& BeforeClicks() const { return beforeClicks_; }

private:
    static constexpr int SpeedSampleMs = 40;

    TForm1& form_;
    BookDownloads& downloads_;
    QString folder_;
    int row_ = 0;
    int book_ = 0;
    bool keepTwoRunning_ = false;
    std::vector<double> duringClicks_;
    std::vector<double> beforeClicks_;
};

PairedRuns runs;
const std::string Name = "click while two books download vs none downloading";

void PairedClick(benchmark::State& state, Bench* bench)
{
    for (int warm = 0; warm < 2; ++warm) {
        bench->ClickWhileTwoBooksDownload();
        bench->Click();
    }
    for (auto _ : state) {
        MeasurePair(
            runs, [&] { return bench->ClickWhileTwoBooksDownload(); }, [&] { return bench->Click(); });
        state.SetIterationTime(runs.ours.back());
    }
    const Figure figure = PairedFigure(Name, runs, 1.3, Quantity::Seconds);
    state.counters["floor_ms"] = figure.floor * 1e3;
    state.counters["ratio"] = figure.ratio;
    state.counters["books_MBps"] = Median(bench->DuringClicks()) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    // First, while the benchmark has no other thread to fork with.
    const RemoteSite site(BookText(), ListingPageWithFragment(10'000));

    PrepareApplication();
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);

    // The site's address goes to the site through the proxy variable.
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    setenv("http_proxy", site.Origin().c_str(), 1);

    QTemporaryDir folder;
    if (!folder.isValid())
        throw std::runtime_error("no temporary folder");
    BookDownloads downloads;
    downloads.SetFolder(folder.path().toStdString());
    TForm1 form(downloads);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        throw std::runtime_error("the window was not shown");
    Bench bench(form, downloads, folder.path());

    benchmark::RegisterBenchmark(Name.c_str(), PairedClick, &bench)
        ->UseManualTime()
        ->Iterations(Pairs)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (!runs.ours.empty()) {
        PrintFigure(PairedFigure(Name + " (paired)", runs, 1.3, Quantity::Seconds));
        std::printf("Both books together, medians: %.0f MB/s during the measured clicks, %.0f MB/s just before them\n",
                    Median(bench.DuringClicks()) / 1e6, Median(bench.BeforeClicks()) / 1e6);
    }
}
