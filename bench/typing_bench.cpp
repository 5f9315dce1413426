// The cost of typing one character at the top, the middle and the end of a
// plain-text document, in the main window, during opening and after it, for
// documents of several sizes, each cell against the 10 KB document's cell at
// the same place and phase.
//
//   typing_bench [--cap SECONDS] [SIZE...]      SIZE: 10K, 10M, 100M, ... (bytes
//                                               with K or M); default 10K 10M 100M
//
// The document is loaded with TJRE::LoadFile in plain-text mode in a shown
// main window. "During opening": the first keys right after LoadFile
// returns, each followed by one turn of the event loop, without letting the
// loop run to the end first (a fresh window for each place). "After
// opening": in another fresh window, once the event loop has nothing left to
// do after LoadFile (waited for at most 60 s). A key is timed from the key press to the end of the event-loop turn
// after it: the edit, the change handler, the layout and the repaint it
// brings. Also the load time, the time until the loop settles, and the
// change handler alone. A phase that runs past the cap (default 300 s) stops
// the benchmark with what was measured so far. The 10 KB document, the
// reference, is always measured first. Prints figures; never fails on time.
#include "app/tform1.h"
#include "bench/event_loop.h"
#include "bench/texts.h"
#include "editor/tjre.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

enum Where { Top, Middle, End };
const char *const kWhere[] = {"top", "middle", "end"};
constexpr int kDuringKeys = 20;
constexpr int kAfterKeys = 101;
constexpr qint64 kSettleCapMs = 60000;

// Stops the process when one phase runs past the cap: a layout that needs
// minutes is reported, not waited for.
class Watchdog {
public:
    explicit Watchdog(int capSeconds) : cap_(capSeconds), thread_([this] { run(); }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(m_);
            quit_ = true;
        }
        cv_.notify_all();
        thread_.join();
    }
    void phase(std::string name) {
        std::lock_guard lock(m_);
        name_ = std::move(name);
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(cap_);
        cv_.notify_all();
    }
    // Printed when the cap stops the benchmark.
    void summary(std::string text) {
        std::lock_guard lock(m_);
        summary_ = std::move(text);
    }

private:
    void run() {
        std::unique_lock lock(m_);
        for (;;) {
            if (quit_)
                return;
            if (name_.empty()) {
                cv_.wait(lock);
                continue;
            }
            const auto deadline = deadline_;
            if (cv_.wait_until(lock, deadline) == std::cv_status::timeout && deadline == deadline_ && !quit_) {
                std::printf("\n%s: not done within %d s; stopped here\n%s", name_.c_str(), cap_, summary_.c_str());
                std::fflush(stdout);
                std::_Exit(0);
            }
        }
    }
    const int cap_;
    std::mutex m_;
    std::condition_variable cv_;
    std::string name_, summary_;
    std::chrono::steady_clock::time_point deadline_{};
    bool quit_ = false;
    std::thread thread_;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Microseconds of each of `count` characters typed at a place: the key, then
// one turn of the event loop.
std::vector<double> typeAt(TJRE &e, Where where, int count) {
    std::vector<double> us;
    for (int i = 0; i < count; ++i) {
        const int len = e.GetTextLen();
        e.Select(where == Top ? 0 : where == Middle ? len / 2 : len, 0);
        QElapsedTimer t;
        t.start();
        QTest::keyClick(&e, Qt::Key_A);
        QCoreApplication::processEvents();
        us.push_back(t.nsecsElapsed() / 1000.0);
    }
    return us;
}

struct Row {
    qsizetype bytes = 0;
    double during[3] = {}, first[3] = {}, after[3] = {};
    bool settled = true;
};

void showForm(TForm1 &form) {
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        std::printf("warning: the window was not shown\n");
    form.JRE->SetPlainText(true);
    form.JRE->setFocus();
}

double msSince(const QElapsedTimer &t) { return t.nsecsElapsed() / 1e6; }

QString label(qsizetype bytes) {
    return bytes >= 1024 * 1024 ? QStringLiteral("%1 MB").arg(bytes / (1024 * 1024))
                                : QStringLiteral("%1 KB").arg(bytes / 1024);
}

std::string table(const std::vector<Row> &rows);

// Measures one size into the last row of rows; what is known so far is what
// the watchdog prints if a phase runs past the cap.
void measure(const QString &dir, std::vector<Row> &rows, Watchdog &dog) {
    Row &row = rows.back();
    const qsizetype bytes = row.bytes;
    const QString path = dir + QStringLiteral("/doc%1.txt").arg(bytes);
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bench::makeText(bytes)) != bytes)
            std::printf("warning: could not write %s\n", qPrintable(path));
    }
    const std::string name = label(bytes).toStdString();
    for (Where w : {Top, Middle, End}) {
        TForm1 form(dir + QStringLiteral("/Tessarin.ini"));
        showForm(form);
        dog.phase(name + ", load");
        form.JRE->LoadFile(path);
        dog.phase(name + ", typing at the " + kWhere[w] + " during opening");
        const std::vector<double> us = typeAt(*form.JRE, w, kDuringKeys);
        row.first[w] = us.front();
        row.during[w] = median(us);
        dog.summary(table(rows));
    }

    // After opening: a fresh window whose event loop runs until nothing is pending.
    TForm1 form(dir + QStringLiteral("/Tessarin.ini"));
    showForm(form);
    dog.phase(name + ", load");
    QElapsedTimer t;
    t.start();
    form.JRE->LoadFile(path);
    const double loadMs = msSince(t);
    const long loadedMb = bench::residentMegabytes();
    dog.phase(name + ", waiting for the event loop to settle");
    const bench::Settled settled = bench::settle(kSettleCapMs);
    const long settledMb = bench::residentMegabytes();
    row.settled = settled.settled;
    for (Where w : {Top, Middle, End}) {
        dog.phase(name + ", typing at the " + kWhere[w] + " after opening");
        row.after[w] = median(typeAt(*form.JRE, w, kAfterKeys));
        dog.summary(table(rows));
    }
    dog.phase(name + ", change handler");
    QElapsedTimer c;
    c.start();
    for (int i = 0; i < 1000; ++i)
        form.JREChange();
    const double changeUs = c.nsecsElapsed() / 1000.0 / 1000;
    std::printf("%-7s load %.0f ms; then the event loop (the background layout) %s %.0f ms, RSS %ld -> %ld MB; "
                "change handler %.2f us\n",
                name.c_str(), loadMs, row.settled ? "ran for" : "DID NOT SETTLE within", settled.busyMs, loadedMb,
                settledMb, changeUs);
}

// The matrix so far: median microseconds of a key and the ratio to the 10 KB
// cell at the same place and phase, and the largest ratio.
std::string table(const std::vector<Row> &rows) {
    std::string out;
    char line[256];
    std::snprintf(line, sizeof line, "\n%-7s %-7s %28s %28s\n", "size", "place", "during opening: median (x)",
                  "after opening: median (x)");
    out += line;
    double worst = 0;
    std::string worstCell;
    for (const Row &r : rows) {
        for (Where w : {Top, Middle, End}) {
            const double d = r.during[w] / rows.front().during[w], a = r.after[w] / rows.front().after[w];
            const auto cell = [](double us, double ratio) {
                char text[64];
                if (us > 0)
                    std::snprintf(text, sizeof text, "%15.1f us (%6.2f)", us, ratio);
                else
                    std::snprintf(text, sizeof text, "%27s", "not measured");
                return std::string(text);
            };
            std::snprintf(line, sizeof line, "%-7s %-7s %s %s%s\n", qPrintable(label(r.bytes)), kWhere[w],
                          cell(r.during[w], d).c_str(), cell(r.after[w], a).c_str(),
                          r.settled ? "" : "  not settled");
            out += line;
            for (auto [ratio, phase] : {std::pair{d, "during"}, std::pair{a, "after"}})
                if (ratio > worst) {
                    worst = ratio;
                    worstCell = label(r.bytes).toStdString() + ", " + kWhere[w] + ", " + phase;
                }
        }
    }
    std::snprintf(line, sizeof line, "largest ratio to 10 KB: %.2f (%s)\n", worst, worstCell.c_str());
    out += line;
    out += "first key after LoadFile, us:";
    for (const Row &r : rows)
        for (Where w : {Top, Middle, End}) {
            if (r.first[w] <= 0)
                continue;
            std::snprintf(line, sizeof line, " %s/%s %.0f", qPrintable(label(r.bytes)), kWhere[w], r.first[w]);
            out += line;
        }
    out += "\n";
    return out;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    int cap = 300;
    std::vector<qsizetype> sizes{10 * 1024};
    bool given = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--cap" && i + 1 < argc) {
            cap = std::atoi(argv[++i]);
        } else if (const qsizetype n = bench::parseSize(argv[i]); n > 0) {
            given = true;
            if (n != sizes.front())
                sizes.push_back(n);
        } else {
            std::printf("usage: typing_bench [--cap SECONDS] [SIZE...]   (SIZE: 10K, 10M, 100M, ...)\n");
            return 2;
        }
    }
    if (!given)
        sizes.insert(sizes.end(), {10 * 1024 * 1024, 100 * 1024 * 1024});

    QTemporaryDir dir;
    Watchdog dog(cap);
    std::vector<Row> rows;
    for (qsizetype bytes : sizes) {
        rows.push_back(Row{bytes});
        measure(dir.path(), rows, dog);
    }
    dog.phase({});
    std::printf("%s", table(rows).c_str());
    return 0;
}
