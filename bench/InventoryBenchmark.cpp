// The inventory's results at fleet size: 200 servers of 100 shares with three entries each
// (60,000 rows), filtered by text, by broad write access and sorted, as the window does it.
#include "inventory/InventoryModel.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <optional>

using namespace corvane;

namespace {

constexpr int Servers = 200;
constexpr int SharesPerServer = 100;

// `distinctPaths`: each server's shares under a folder of its own, so that no two shares of the
// fleet have the same path (otherwise the servers' shares have the same 100 paths).
std::vector<InventoryRow> fleet(bool distinctPaths = false) {
    std::vector<ServerScan> scans(Servers);
    for (int s = 0; s < Servers; ++s) {
        scans[s].server = QStringLiteral("fs%1.example.test").arg(s, 3, 10, QLatin1Char('0'));
        for (int i = 0; i < SharesPerServer; ++i) {
            InventoryShare share;
            share.record.netname = QStringLiteral("Share%1").arg(i).toStdU16String();
            share.record.path = QStringLiteral("D:\\Data%1\\Department%2\\Share%3")
                                    .arg(distinctPaths ? QString::number(s) : QString())
                                    .arg(i % 17)
                                    .arg(i)
                                    .toStdU16String();
            share.record.remark =
                QStringLiteral("Files of department %1").arg(i % 17).toStdU16String();
            const auto entry = [](const char* account, const char* sid, const char* access,
                                  bool broad) {
                InventoryEntry e;
                e.readable = {QString::fromLatin1(account), QString::fromLatin1(sid),
                              QStringLiteral("Allow"), QString::fromLatin1(access)};
                e.broadWrite = broad;
                return e;
            };
            share.entries.push_back(
                entry("Everyone", "S-1-1-0", i % 10 == 0 ? "Change" : "Read", i % 10 == 0));
            share.entries.push_back(
                entry("EXAMPLE\\Domain Admins", "S-1-5-21-1-2-3-512", "Full Control", false));
            share.entries.push_back(
                entry("EXAMPLE\\staff", "S-1-5-21-1-2-3-1105", "Change", false));
            scans[s].shares.push_back(std::move(share));
        }
    }
    return inventoryRows(scans);
}

// The heap in use, in bytes: unlike the resident size, it goes back down when the rows of an
// earlier repetition are freed.
double heapBytes() {
    return static_cast<double>(mallinfo2().uordblks);
}

void FilterByText(benchmark::State& state) {
    InventoryModel model;
    const double before = heapBytes();
    model.setRows(fleet());
    InventoryFilter filter(model);
    state.counters["rows"] = static_cast<double>(model.rowCount());
    state.counters["MB"] = (heapBytes() - before) / (1 << 20);
    bool flip = false;
    for (auto _ : state) {
        filter.setText(flip ? QStringLiteral("department 3") : QStringLiteral("fs042"));
        flip = !flip;
        benchmark::DoNotOptimize(filter.rowCount());
    }
}
BENCHMARK(FilterByText)->Unit(benchmark::kMillisecond);

void BroadWriteOnly(benchmark::State& state) {
    InventoryModel model;
    model.setRows(fleet());
    InventoryFilter filter(model);
    bool flip = false;
    for (auto _ : state) {
        filter.setBroadOnly(flip = !flip);
        benchmark::DoNotOptimize(filter.rowCount());
    }
}
BENCHMARK(BroadWriteOnly)->Unit(benchmark::kMillisecond);

void SortByPath(benchmark::State& state) {
    InventoryModel model;
    model.setRows(fleet());
    InventoryFilter filter(model);
    bool flip = false;
    for (auto _ : state) {
        filter.sort(static_cast<int>(Column::Path),
                    (flip = !flip) ? Qt::AscendingOrder : Qt::DescendingOrder);
        benchmark::DoNotOptimize(filter.rowCount());
    }
}
BENCHMARK(SortByPath)->Unit(benchmark::kMillisecond);

// The first sort by a column after the results came in: by path, with the servers' paths the
// same and all different, and by account (three accounts).
void SortFirstTime(benchmark::State& state) {
    InventoryModel model;
    model.setRows(fleet(state.range(1) != 0));
    std::optional<InventoryFilter> filter;
    for (auto _ : state) {
        state.PauseTiming();
        filter.reset();
        filter.emplace(model);
        state.ResumeTiming();
        filter->sort(static_cast<int>(state.range(0)), Qt::AscendingOrder);
        benchmark::DoNotOptimize(filter->rowCount());
    }
}
BENCHMARK(SortFirstTime)
    ->Args({static_cast<int>(Column::Path), 0})
    ->Args({static_cast<int>(Column::Path), 1})
    ->Args({static_cast<int>(Column::Account), 0})
    ->Unit(benchmark::kMillisecond);

// Typing in the filter box while the results are sorted by path.
void FilterByTextSorted(benchmark::State& state) {
    InventoryModel model;
    model.setRows(fleet());
    InventoryFilter filter(model);
    filter.sort(static_cast<int>(Column::Path), Qt::AscendingOrder);
    bool flip = false;
    for (auto _ : state) {
        filter.setText(flip ? QStringLiteral("department 3") : QStringLiteral("fs042"));
        flip = !flip;
        benchmark::DoNotOptimize(filter.rowCount());
    }
}
BENCHMARK(FilterByTextSorted)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
