// The inventory's results at fleet size: 200 servers of 100 shares with three entries each
// (60,000 rows), filtered by text, by broad write access and sorted, as the window does it.
#include "inventory/InventoryModel.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

using namespace corvane;

namespace {

constexpr int Servers = 200;
constexpr int SharesPerServer = 100;

std::vector<InventoryRow> fleet() {
    std::vector<ServerScan> scans(Servers);
    for (int s = 0; s < Servers; ++s) {
        scans[s].server = QStringLiteral("fs%1.example.test").arg(s, 3, 10, QLatin1Char('0'));
        for (int i = 0; i < SharesPerServer; ++i) {
            InventoryShare share;
            share.record.netname = QStringLiteral("Share%1").arg(i).toStdU16String();
            share.record.path = QStringLiteral("D:\\Data\\Department%1\\Share%2")
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

// Resident memory of the process, in bytes.
long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * 4096;
}

void FilterByText(benchmark::State& state) {
    InventoryModel model;
    const long before = residentBytes();
    model.setRows(fleet());
    InventoryFilter filter(model);
    state.counters["rows"] = static_cast<double>(model.rowCount());
    state.counters["MB"] = static_cast<double>(residentBytes() - before) / (1 << 20);
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

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
