#include "platform/SecurityDescriptor.h"
#include "platform/fake/FakeNetwork.h"
#include "platform/smb/Ndr.h"
#include "platform/smb/SrvsvcCodec.h"
#include "shares/FillSharesList.h"
#include "shares/ImageList.h"

#include <QApplication>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdlib>
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
        if (smb::srvsvc::decodeShareEnum(answer, reply) != 0 || reply.shares.size() != ShareCount)
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
        if (!FillSharesList(fake, "SRV", &list, images))
            state.SkipWithError("enumeration failed");
        benchmark::DoNotOptimize(list.topLevelItemCount());
    }
}
BENCHMARK(FillSharesList2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
