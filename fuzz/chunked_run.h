// The long checks' way of running: chunks of work handed out to threads, each
// thread keeping its own tally, with progress printed as chunks complete.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace zelquin::check {

// Calls work(chunk, tally) for every chunk from 0 to chunkCount - 1, on
// threadCount threads, and returns the tallies added up (Tally::Add) and the
// seconds taken.
template <typename Tally, typename Work>
Tally RunInChunks(std::uint64_t chunkCount, unsigned threadCount, Work work, double& seconds) {
    std::atomic<std::uint64_t> nextChunk{0}, chunksDone{0};
    std::mutex tallyMutex;
    Tally tally;
    const auto started = std::chrono::steady_clock::now();
    const auto secondsSince = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    std::vector<std::thread> threads;
    for (unsigned t = 0; t < (threadCount == 0 ? 1 : threadCount); ++t) {
        threads.emplace_back([&] {
            Tally own;
            for (;;) {
                const std::uint64_t chunk = nextChunk.fetch_add(1);
                if (chunk >= chunkCount) break;
                work(chunk, own);
                const std::uint64_t done = chunksDone.fetch_add(1) + 1;
                if (done % 16 == 0 || done == chunkCount) {
                    const double elapsed = secondsSince();
                    std::printf("%5.1f%%  %7.1f s  (about %.0f s left)\n",
                                100.0 * static_cast<double>(done) / static_cast<double>(chunkCount),
                                elapsed,
                                elapsed * static_cast<double>(chunkCount - done) /
                                    static_cast<double>(done));
                    std::fflush(stdout);
                }
            }
            const std::lock_guard<std::mutex> lock(tallyMutex);
            tally.Add(own);
        });
    }
    for (std::thread& thread : threads) thread.join();
    seconds = secondsSince();
    return tally;
}

// Runs valueCount values and then textCount texts in chunks of chunkSize:
// onValue(rng, i, tally) and onText(rng, i, tally) for the i-th of each. Every
// chunk has its own generator, seeded from the seed and its number, so a run is
// the same whatever the number of threads.
template <typename Tally, typename OnValue, typename OnText>
Tally RunValuesAndTexts(std::uint64_t valueCount, std::uint64_t textCount, std::uint64_t chunkSize,
                        unsigned threadCount, std::uint64_t seed, OnValue onValue, OnText onText,
                        double& seconds) {
    const std::uint64_t valueChunks = (valueCount + chunkSize - 1) / chunkSize;
    const std::uint64_t textChunks = (textCount + chunkSize - 1) / chunkSize;
    return RunInChunks<Tally>(
        valueChunks + textChunks, threadCount,
        [&](std::uint64_t chunk, Tally& own) {
            std::mt19937_64 rng(seed * 0x9E3779B97F4A7C15u + chunk);
            const bool values = chunk < valueChunks;
            const std::uint64_t begin = (values ? chunk : chunk - valueChunks) * chunkSize;
            const std::uint64_t count = values ? valueCount : textCount;
            const std::uint64_t end = begin + chunkSize < count ? begin + chunkSize : count;
            for (std::uint64_t i = begin; i < end; ++i) {
                if (values) {
                    onValue(rng, i, own);
                } else {
                    onText(rng, i, own);
                }
            }
        },
        seconds);
}

}  // namespace zelquin::check
