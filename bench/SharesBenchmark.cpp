#include "app/TForm1.h"
#include "integration/TestServer.h"
#include "platform/SecurityDescriptor.h"
#include "platform/fake/FakeNetwork.h"
#include "platform/smb/codec/Ndr.h"
#include "platform/smb/codec/SrvsvcCodec.h"
#include "shares/FillSharesList.h"
#include "ui/ImageList.h"
#include "waiting/CallDispatcher.h"
#include "waiting/DispatchedServices.h"
#include "waiting/WaitPanel.h"

#include <QApplication>
#include <QLineEdit>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

using namespace corvane;

namespace {

constexpr int ShareCount = 2000;

std::u16string number(const char* prefix, int i) {
    std::string s = prefix + std::to_string(i);
    return std::u16string(s.begin(), s.end());
}

std::vector<std::uint8_t> descriptor() {
    auto acl = *Acl::initialize(AclHeaderSize + 2 * (8 + 12) + 4, AclRevision);
    acl.addAllowedAce(0, 0x001F01FF, *Sid::fromString("S-1-1-0"));
    acl.addDeniedAce(0, 0x001301BF, *Sid::fromString("S-1-5-32-546"));
    return SecurityDescriptor::withDacl(acl).toSelfRelative();
}

// The answer a server gives for 2,000 shares at level 502, each with a descriptor.
std::vector<std::uint8_t> enumerationAnswer() {
    const auto sd = descriptor();
    smb::NdrWriter w;
    w.u32(502);
    w.u32(502);
    w.referent();
    w.u32(ShareCount);
    w.referent();
    w.u32(ShareCount);
    for (int i = 0; i < ShareCount; ++i) {
        w.referent();
        w.u32(StypeDisktree);
        w.referent();
        w.u32(0);
        w.u32(NoUserLimit);
        w.u32(0);
        w.referent();
        w.nullPointer();
        w.u32(static_cast<std::uint32_t>(sd.size()));
        w.referent();
    }
    for (int i = 0; i < ShareCount; ++i) {
        w.conformantString(number("Bulk", i));
        w.conformantString(number("Bulk share number ", i));
        w.conformantString(u"C:\\srv\\D\\Bulk\\" + number("", i));
        w.u32(static_cast<std::uint32_t>(sd.size()));
        w.bytes(sd);
    }
    w.u32(ShareCount);
    w.referent();
    w.u32(0);
    w.u32(0);
    return w.take();
}

void DecodeShareEnum2000(benchmark::State& state) {
    const auto answer = enumerationAnswer();
    for (auto _ : state) {
        smb::srvsvc::ShareEnumReply reply;
        if (smb::srvsvc::decodeShareEnum(answer, reply) != 0 || reply.records.size() != ShareCount)
            state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(reply);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * answer.size()));
}
BENCHMARK(DecodeShareEnum2000)->Unit(benchmark::kMillisecond);

void FillSharesList2000(benchmark::State& state) {
    fake::FakeNetwork fake;
    for (int i = 0; i < ShareCount; ++i)
        fake.addDiskShare(u"SRV", number("Bulk", ShareCount - i), u"C:\\srv\\D\\Bulk",
                          number("Bulk share ", i));
    const ImageList images;
    QTreeWidget list;
    list.setColumnCount(3);
    for (auto _ : state) {
        if (FillSharesList(fake, "SRV", &list, images) != status::Success)
            state.SkipWithError("enumeration failed");
        benchmark::DoNotOptimize(list.topLevelItemCount());
    }
}
BENCHMARK(FillSharesList2000)->Unit(benchmark::kMillisecond);

// Messages are not expected while opening; any would end the measurement.
class NoMessages : public MessageBoxes {
public:
    Answer show(QWidget*, const QString&, const QString&, Icon, Buttons) override { std::abort(); }
    std::optional<QString> getText(QWidget*, const QString&, const QString&) override {
        std::abort();
    }
};

// Opens `computer` in the main window again and again, as a person does: the list, the pages'
// reset and the drive probes. With `dispatcher`, every call goes through its worker thread
// while the window waits; without, the window calls the network itself.
template <typename Network>
void openRepeatedly(benchmark::State& state, CallDispatcher* dispatcher, Network& network,
                    const QString& computer, int expectedRows) {
    std::optional<DispatchedServices> services;
    std::optional<WaitIndicator> waits;
    if (dispatcher) {
        services.emplace(*dispatcher, network, network, network);
        waits.emplace(*dispatcher);
    }
    ShareService& shares = services ? static_cast<ShareService&>(*services) : network;
    AccountService& accounts = services ? static_cast<AccountService&>(*services) : network;
    DirectoryService& directories = services ? static_cast<DirectoryService&>(*services) : network;
    NoMessages messages;
    TForm1 form(shares, accounts, directories, messages);
    form.findChild<QLineEdit*>(QStringLiteral("Computer1"))->setText(computer);
    auto* list = form.findChild<QTreeWidget*>(QStringLiteral("SharesList1"));
    for (auto _ : state) {
        form.OpenComputer1Click();
        if (list->topLevelItemCount() < expectedRows)
            state.SkipWithError("opening failed");
    }
}

// 5,000 shares in memory: the cost of the hand-offs themselves, with no network time to hide
// them. Argument 0: direct calls; 1: through the worker.
void OpenFake5000(benchmark::State& state) {
    constexpr int Shares = 5000;
    fake::FakeNetwork fake;
    for (int i = 0; i < Shares; ++i)
        fake.addDiskShare(u"SRV", number("Bulk", Shares - i), u"C:\\srv\\D\\Bulk",
                          number("Bulk share ", i));
    fake.addDiskShare(u"SRV", u"C$", u"C:\\");
    fake.computer(u"SRV").enumerationPartSize = 1000;
    if (state.range(0) == 0) {
        openRepeatedly(state, nullptr, fake, QStringLiteral("SRV"), Shares + 1);
        return;
    }
    CallDispatcher dispatcher;
    openRepeatedly(state, &dispatcher, fake, QStringLiteral("SRV"), Shares + 1);
}
// Process CPU time counts the worker thread too; wall time shows the hand-offs.
BENCHMARK(OpenFake5000)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// A real server with 5,000 shares: a test server named by CORVANE_BENCH_SERVER (an address
// of tools/test-server, made with "bulk-shares 5000"). Argument as above.
void OpenTestServer5000(benchmark::State& state) {
    const char* address = std::getenv("CORVANE_BENCH_SERVER");
    if (!address) {
        state.SkipWithError("CORVANE_BENCH_SERVER is not set");
        return;
    }
    const integration::TestServer server(address);
    smb::StaticCredentials credentials(server.adminCredentials());
    const QString computer = QString::fromStdString(server.addressUtf8());
    if (state.range(0) == 0) {
        smb::SmbNetwork network(credentials, integration::integrationOptions());
        openRepeatedly(state, nullptr, network, computer, 5000);
        return;
    }
    CallDispatcher dispatcher;
    std::unique_ptr<smb::SmbNetwork> network;
    dispatcher.runOnWorker([&] {
        network = std::make_unique<smb::SmbNetwork>(credentials, integration::integrationOptions());
    });
    openRepeatedly(state, &dispatcher, *network, computer, 5000);
    dispatcher.runOnWorker([&] { network.reset(); });
}
BENCHMARK(OpenTestServer5000)
    ->Arg(0)
    ->Arg(1)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
