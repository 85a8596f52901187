// The all-status mapping against nlohmann's parse alone of the same body: the walk over the
// document, the field checks and the time parsing should add at most half again.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "server/api_mapping.h"

namespace {

// An all-status answer shaped like the server's: bosses x channels reports with every member.
std::string allStatusBody(int bosses, int channels) {
    std::string json = "{\"channel_status\":{";
    uint32_t seed = 777;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFF;
    };
    for (int boss = 0; boss < bosses; ++boss) {
        char id[40];
        std::snprintf(id, sizeof id, "%s\"m%014d\":[", boss ? "," : "", boss);
        json += id;
        for (int channel = 1; channel <= channels; ++channel) {
            char report[320];
            std::snprintf(report, sizeof report,
                          "%s{\"channel_number\":%d,\"last_hp\":%u,\"last_update\":\"2025-12-01 11:%02u:%02u.%03uZ\","
                          "\"dps\":%u.%03u,\"etd\":%u.5,\"death_time_estimate\":\"2025-12-01 12:%02u:%02u.000Z\"}",
                          channel > 1 ? "," : "", channel, next() % 101, next() % 60, next() % 60, next() % 1000,
                          next() % 3, next() % 1000, next() % 900, next() % 60, next() % 60);
            json += report;
        }
        json += "]";
    }
    json += "},\"time\":\"2025-12-01 12:00:00.000Z\"}";
    return json;
}

const std::string& body(int which) {
    static const std::string realistic = allStatusBody(60, 40);
    static const std::string tenMebibytes = [] {
        // About 10 MiB: as many 40-channel bosses as fit.
        const std::size_t perBoss = allStatusBody(1, 40).size();
        return allStatusBody(static_cast<int>((10u << 20) / perBoss), 40);
    }();
    return which == 0 ? realistic : tenMebibytes;
}

void BM_MapAllStatus(benchmark::State& state) {
    const std::string& text = body(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        mb::AllStatusMap map;
        std::string error;
        if (!mb::mapAllStatus(text, map, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(map);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["body_bytes"] = static_cast<double>(text.size());
}

void BM_ParseOnly(benchmark::State& state) {
    const std::string& text = body(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        nlohmann::json root = nlohmann::json::parse(text.data(), text.data() + text.size(), nullptr, false, false);
        if (root.is_discarded()) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

}  // namespace

// Argument 0: 60 bosses x 40 channels; 1: about 10 MiB.
BENCHMARK(BM_MapAllStatus)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
