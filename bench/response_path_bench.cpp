// The receive path of one link on recorded bytes: how fast the library cuts
// the stream into responses, and the engine handles them (split, leading
// number, HandleResponse), next to a bare memchr line split of the same
// bytes. Prints MB/s and each as a share of the memchr split, and checks the
// shares against their targets: split >= 25 %, full handling >= 5 %.
//
//     response_path_bench [--file PATH] [--rounds N] [--only full]
//
// --only full runs the full handling alone, for a profiler.
// The bytes (bench/data/responses.bin) are what one simulated receiver sent
// in measuring and RDS mode to the engine's polling; record_responses.py
// beside them tells how they were recorded. The cases take turns within each
// round, so a busy machine slows all of them alike; the best round counts.
#include "fuzz_station.h"
#include "response_buffer.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

using namespace vantor;
using Clock = std::chrono::steady_clock;

constexpr double SplitTargetShare = 0.25;
constexpr double FullTargetShare = 0.05;
// What one read of the link hands over at most.
constexpr qsizetype ChunkBytes = 4096;
constexpr double RoundSeconds = 0.3;

volatile std::size_t g_sink = 0;

std::size_t memchrSplit(const QByteArray &bytes)
{
    std::size_t lines = 0;
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    while (const void *nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
        lines += static_cast<std::size_t>(static_cast<const char *>(nl) - p);
        p = static_cast<const char *>(nl) + 1;
    }
    return lines;
}

template <typename Handle> std::size_t split(const QByteArray &bytes, Handle &&handle)
{
    ResponseBuffer buffer;
    std::size_t total = 0;
    for (qsizetype at = 0; at < bytes.size(); at += ChunkBytes) {
        buffer.feed(QByteArrayView(bytes).sliced(at, std::min(ChunkBytes, bytes.size() - at)));
        while (buffer.count() > 0)
            total += handle(buffer.take());
    }
    return total;
}

// MB/s of pass over bytes, run as often as fits in RoundSeconds.
double throughput(const QByteArray &bytes, const std::function<std::size_t()> &pass)
{
    const auto start = Clock::now();
    std::size_t passes = 0;
    double seconds = 0;
    do {
        g_sink = g_sink + pass();
        ++passes;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < RoundSeconds);
    return static_cast<double>(passes) * static_cast<double>(bytes.size()) / seconds / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QString path = QStringLiteral(VANTOR_RECORDED_RESPONSES);
    int rounds = 7;
    bool onlyFull = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--file") == 0)
            path = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--only") == 0)
            onlyFull = std::strcmp(argv[i + 1], "full") == 0;
    }
    fuzz::FuzzStation &station = fuzz::FuzzStation::Instance();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return 2;
    }
    // Repeated to about 1 MB, so one pass outlasts the clock's resolution.
    const QByteArray recorded = file.readAll();
    const QByteArray bytes = recorded.repeated(std::max<qsizetype>(1, (1 << 20) / recorded.size()));
    station.Reset();
    Tables(station.engine).Devices[0].Mode = ModeMeasuringPart | ModeRdsPart;
    const TDateTime now = station.clock.now();

    double memchrBest = 0, splitBest = 0, fullBest = 0;
    for (int r = 0; r < rounds; ++r) {
        if (!onlyFull) {
            memchrBest =
                std::max(memchrBest, throughput(bytes, [&] { return memchrSplit(bytes); }));
            splitBest = std::max(splitBest, throughput(bytes, [&] {
                                     return split(bytes, [](const auto &response) {
                                         return static_cast<std::size_t>(response.size());
                                     });
                                 }));
        }
        fullBest =
            std::max(fullBest, throughput(bytes, [&] {
                         return split(bytes, [&](const auto &response) {
                             TAlarmReadings readings;
                             station.engine.HandleResponse(0, response, now, false, readings);
                             return static_cast<std::size_t>(readings.Level);
                         });
                     }));
    }
    if (onlyFull) {
        std::printf("full handling: %.1f MB/s\n", fullBest);
        return 0;
    }
    const double splitShare = splitBest / memchrBest;
    const double fullShare = fullBest / memchrBest;
    std::printf("%zu bytes recorded, %lld lines; best of %d rounds\n",
                static_cast<std::size_t>(recorded.size()),
                static_cast<long long>(recorded.count('\n')), rounds);
    std::printf("%-14s %10s %9s %8s\n", "case", "MB/s", "of memchr", "target");
    std::printf("%-14s %10.1f %8.1f%%\n", "memchr split", memchrBest, 100.0);
    std::printf("%-14s %10.1f %8.2f%% %7.0f%%\n", "split", splitBest, 100 * splitShare,
                100 * SplitTargetShare);
    std::printf("%-14s %10.1f %8.2f%% %7.0f%%\n", "full handling", fullBest, 100 * fullShare,
                100 * FullTargetShare);
    const bool pass = splitShare >= SplitTargetShare && fullShare >= FullTargetShare;
    std::printf("%s\n", pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
