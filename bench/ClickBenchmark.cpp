// A click on a category button of the real window, from the click to the fragment
// written and closed in its pane, through a fetch from a loopback server that the
// site's address is routed to. The floor is the same pane driven directly through
// its web page: one navigation to a blank document and one script that writes the
// same fragment, waiting in an event loop, with no fetch and no cut. Paired run by
// run, alternating which goes first.
//
// Two more figures click the same category again and again. On a revisit the site
// lets the page be kept for an hour, so the listing cache answers and the floor is
// the pane and the click itself: the same button pressed and released with its
// signals blocked, so that it paints its pressed and released faces and loads
// nothing. On a revalidation the site lets the page be kept only if checked each
// time, so every click asks and is told 304 Not Modified; there the floor adds one
// round trip of a plain GET that the server answers with that 304, on a connection
// kept open as the listing fetch keeps its own.
#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalBlocker>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <cstdlib>
#include <random>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "bench/Figures.h"
#include "bench/ListingPages.h"
#include "bench/PlainGet.h"
#include "catalogue/LoopbackServer.h"
#include "navigation/CategoryTable.h"
#include "navigation/NavigationState.h"
#include "retrieval/HttpCache.h"
#include "retrieval/ListingPageLoader.h"
#include "ui/ApplicationSetup.h"
#include "ui/GbkText.h"
#include "ui/downloads/BookDownloads.h"
#include "ui/window/Unit1.h"

namespace {

constexpr int DeadlineMs = 60000;

// Runs loop until it is quit; a deadline turns a hang into a failure.
void Run(QEventLoop& loop, const char* what)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    bool late = false;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        late = true;
        loop.quit();
    });
    deadline.start(DeadlineMs);
    loop.exec();
    if (late)
        throw std::runtime_error(std::string("timed out waiting for ") + what);
}

// The value of script in page, in the program's script world.
QVariant Evaluate(QWebEnginePage& page, const QString& script)
{
    QEventLoop loop;
    QVariant value;
    page.runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& result) {
        value = result;
        loop.quit();
    });
    Run(loop, "a script's answer");
    return value;
}

// Checks that page shows the whole list, and lets its painting settle before the
// next run. The pause varies over a frame, so that runs do not lock onto one phase
// of the engine's frame clock.
void ExpectList(QWebEnginePage& page, int books)
{
    const int shown = Evaluate(page, QStringLiteral("document.querySelectorAll('#catalog li').length")).toInt();
    if (shown != books)
        throw std::runtime_error("the pane shows " + std::to_string(shown) + " of " + std::to_string(books) + " books");
    static std::minstd_rand jitter;
    QTest::qWait(40 + static_cast<int>(jitter() % 17));
}

double FloorSeconds(QWebEngineView& pane, const std::string& fragment)
{
    QEventLoop loop;
    bool loaded = false;
    bool written = false;
    const double start = Now();
    const auto connection = QObject::connect(pane.page(), &QWebEnginePage::loadFinished, &loop, [&](bool ok) {
        loaded = ok;
        loop.quit();
    });
    pane.page()->load(QUrl(QStringLiteral("about:blank")));
    Run(loop, "the blank document");
    QObject::disconnect(connection);
    const QByteArray literal = QJsonDocument(QJsonArray{GbkToQString(fragment)}).toJson(QJsonDocument::Compact);
    pane.page()->runJavaScript(
        QStringLiteral("document.open(); document.write(%1[0]); document.close(); true").arg(QString::fromUtf8(literal)),
        QWebEngineScript::ApplicationWorld, [&](const QVariant& result) {
            written = result.toBool();
            loop.quit();
        });
    Run(loop, "the write");
    const double elapsed = Now() - start;
    if (!loaded || !written)
        throw std::runtime_error("the pane was not written");
    return elapsed;
}

// How the clicks of one figure reach the page.
enum class Visit {
    Fetch,       // a new category each click, from a site that sends no caching headers
    Revisit,     // the same category, kept fresh by the listing cache
    Revalidate,  // the same category, checked with the site each click and not modified
};

const char* const PageTag = "\"listing-v1\"";

CannedResponse Answer(Visit visit, const std::string& page)
{
    switch (visit) {
    case Visit::Fetch:
        return {200, page, {}};
    case Visit::Revisit:
        return {200, page, {{"Cache-Control", "max-age=3600"}}};
    case Visit::Revalidate:
        return {200, page, {{"Cache-Control", "no-cache"}, {"ETag", PageTag}}};
    }
    throw std::logic_error("unknown visit");
}

TsuiButton* CategoryButton(TForm1& form, int row)
{
    TsuiButton* const buttons[] = {form.suiButton1, form.suiButton2, form.suiButton3, form.suiButton4,
                                   form.suiButton5, form.suiButton6, form.suiButton7, form.suiButton8,
                                   form.suiButton9, form.suiButton10, form.suiButton11};
    return buttons[row - 1];
}

double ClickSeconds(TForm1& form, LoopbackServer& server, int row, bool reachesSite)
{
    server.ClearRequests();
    const double start = Now();
    QTest::mouseClick(CategoryButton(form, row), Qt::LeftButton);
    const double elapsed = Now() - start;
    const std::string address = ListingAddress(CategoryTable[static_cast<std::size_t>(row - 1)], 1);
    const auto asked = reachesSite ? std::vector<std::string>{address} : std::vector<std::string>{};
    if (server.Requests() != asked || CurrentListingAddress != address)
        throw std::runtime_error("the click did not load " + address + (reachesSite ? " from the site" : " from the cache"));
    return elapsed;
}

struct Setting {
    TForm1& form;
    LoopbackServer& server;
};

std::map<std::string, PairedRuns> results;

// The press and release of a button whose click does nothing, painted as a click is.
double ButtonClickSeconds(QAbstractButton& button)
{
    const QSignalBlocker silent(button);
    const double start = Now();
    QTest::mouseClick(&button, Qt::LeftButton);
    return Now() - start;
}

// One plain GET of the page's address through the server, as a proxy is asked,
// holding the page's tag: the server answers 304 and nothing more.
double RoundTripSeconds(PlainConnection& connection, const std::string& address)
{
    const double start = Now();
    const std::string answer = connection.Get(address, std::string("If-None-Match: ") + PageTag + "\r\n");
    const double elapsed = Now() - start;
    if (answer.rfind("HTTP/1.1 304", 0) != 0)
        throw std::runtime_error("the plain GET was not answered 304 Not Modified");
    return elapsed;
}

void PairedClick(benchmark::State& state, const Setting& setting, const std::string& name, const std::string& page,
                 Visit visit, double targetRatio)
{
    ListingPageCache().Clear();
    setting.server.SetFallback([page, visit](const std::string&) { return Answer(visit, page); });
    const std::string fragment = CutListingPage(page, "");
    int books = 0;
    for (auto at = fragment.find("<li>"); at != std::string::npos; at = fragment.find("<li>", at + 1))
        ++books;

    const int sameRow = 5;
    const std::string sameAddress = ListingAddress(CategoryTable[sameRow - 1], 1);
    int row = 0;
    const auto click = [&] {
        const double seconds = visit == Visit::Fetch
                                   ? ClickSeconds(setting.form, setting.server, row % 11 + 1, true)
                                   : ClickSeconds(setting.form, setting.server, sameRow, visit == Visit::Revalidate);
        ++row;
        ExpectList(*setting.form.WebBrowser1->page(), books);
        return seconds;
    };
    std::optional<PlainConnection> connection;
    if (visit == Visit::Revalidate)
        connection.emplace(setting.server.Port());
    const auto floor = [&] {
        double seconds = visit == Visit::Fetch ? 0 : ButtonClickSeconds(*CategoryButton(setting.form, sameRow));
        seconds += FloorSeconds(*setting.form.WebBrowser1, fragment);
        ExpectList(*setting.form.WebBrowser1->page(), books);
        if (visit == Visit::Revalidate)
            seconds += RoundTripSeconds(*connection, sameAddress);
        return seconds;
    };
    // The first click of a revisit or revalidation fetches the page and keeps it.
    if (visit != Visit::Fetch)
        ClickSeconds(setting.form, setting.server, sameRow, true);
    for (int warm = 0; warm < 2; ++warm) {
        click();
        floor();
    }

    PairedRuns& runs = results[name];
    for (auto _ : state) {
        MeasurePair(runs, click, floor);
        state.SetIterationTime(runs.ours.back());
    }
    const Figure figure = PairedFigure(name, runs, targetRatio, Quantity::Seconds);
    state.counters["floor_ms"] = figure.floor * 1e3;
    state.counters["ratio"] = figure.ratio;
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareApplication();
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);

    // The site's address goes to the loopback server through the proxy variable.
    LoopbackServer server;
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    setenv("http_proxy", server.Origin().c_str(), 1);

    BookDownloads downloads;
    TForm1 form(downloads);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        throw std::runtime_error("the window was not shown");
    const Setting setting{form, server};

    const struct {
        std::string name;
        std::string floor;
        std::size_t fragmentBytes;
        Visit visit;
        double targetRatio;
        int pairs;
    } figures[] = {
        {"click, 10 KB fragment", "pane alone", 10'000, Visit::Fetch, 1.3, 25},
        {"click, 1 MB fragment", "pane alone", 1'000'000, Visit::Fetch, 1.3, 15},
        // Revisits are measured against tighter targets, so over more pairs.
        {"revisit kept fresh, 10 KB fragment", "pane + click", 10'000, Visit::Revisit, 1.05, 301},
        {"revisit answered 304, 10 KB", "pane + click + loopback round trip", 10'000, Visit::Revalidate, 1.1, 101},
    };
    for (const auto& figure : figures) {
        benchmark::RegisterBenchmark((figure.name + " vs " + figure.floor).c_str(), PairedClick, setting, figure.name,
                                     ListingPageWithFragment(figure.fragmentBytes), figure.visit, figure.targetRatio)
            ->UseManualTime()
            ->Iterations(figure.pairs)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    for (const auto& figure : figures) {
        if (const auto runs = results.find(figure.name); runs != results.end())
            PrintFigure(PairedFigure(figure.name + " vs " + figure.floor + " (paired)", runs->second,
                                     figure.targetRatio, Quantity::Seconds));
    }
}
