// How responsive the inventory window stays while it scans many servers: a timer asks the
// window's event loop for a turn every 10 ms from the scan's start to its end (results shown),
// and each turn's lateness is kept. Prints the scan's time, the turns, and the lateness (median,
// 99th percentile, worst), and that of the turn that filled the results at the end.
//
//   bench_inventory_window [--jobs N] SERVER...
//
// The logon comes from CORVANE_TEST_ADMIN_USER and CORVANE_TEST_ADMIN_PASSWORD (as the test
// server's `env` prints them); bench/inventory-scan.sh runs it against its servers.
#include "inventory/InventoryForm1.h"
#include "platform/smb/SmbNetwork.h"
#include "tests/support/StaticCredentials.h"
#include "ui/Text.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace corvane;

namespace {

constexpr qint64 TickNs = 10'000'000;

double ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList servers = QApplication::arguments().mid(1);
    int jobs = 8;
    if (servers.size() >= 2 && servers[0] == QLatin1String("--jobs")) {
        jobs = servers[1].toInt();
        servers = servers.mid(2);
    }
    const char* user = std::getenv("CORVANE_TEST_ADMIN_USER");
    const char* password = std::getenv("CORVANE_TEST_ADMIN_PASSWORD");
    if (servers.isEmpty() || !user || !password) {
        std::fprintf(stderr, "usage: bench_inventory_window [--jobs N] SERVER... (with "
                             "CORVANE_TEST_ADMIN_USER and CORVANE_TEST_ADMIN_PASSWORD set)\n");
        return 2;
    }
    smb::enableConcurrentNetworks();
    smb::StaticCredentials logon(
        {toU16(QString::fromLocal8Bit(user)), {}, toU16(QString::fromLocal8Bit(password))});
    InventoryForm1 form(logon, scanOptions({}));
    form.resize(1200, 800);
    form.show();
    form.InventoryServers1->setPlainText(servers.join(QLatin1Char('\n')));
    form.InventoryJobs1->setValue(jobs);

    std::vector<qint64> late;
    QElapsedTimer clock;
    qint64 last = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        late.push_back(std::max<qint64>(0, now - last - TickNs));
        last = now;
    });
    qint64 scanned = 0;
    // The turn that ends the scan fills the results: the timer's turn is late by as much as
    // the loop has been held since the last one, which is the last lateness kept.
    QObject::connect(&form, &InventoryForm1::scanFinished, [&] {
        scanned = clock.nsecsElapsed();
        late.push_back(std::max<qint64>(0, scanned - last - TickNs));
        tick.stop();
        QTimer::singleShot(0, &app, &QApplication::quit);
    });
    clock.start();
    tick.start(10);
    form.ScanServers1->click();
    app.exec();

    const qint64 fill = late.empty() ? 0 : late.back();
    std::sort(late.begin(), late.end());
    const auto at = [&late](double q) {
        return late.empty() ? 0 : late[static_cast<std::size_t>(q * double(late.size() - 1))];
    };
    std::printf("servers: %lld, jobs %d; scan and results shown: %.1f s\n",
                static_cast<long long>(servers.size()), jobs, ms(scanned) / 1000);
    std::printf("event loop turns: %zu every 10 ms; lateness median %.1f ms, 99th percentile "
                "%.1f ms, worst %.1f ms; the turn that filled the results %.1f ms\n",
                late.size(), ms(at(0.5)), ms(at(0.99)), ms(late.empty() ? 0 : late.back()),
                ms(fill));
    return 0;
}
