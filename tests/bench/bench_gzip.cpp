// gzip decoding of data-endpoint bodies against zlib's raw inflate of the same deflate stream
// (the floor: the framing and the output handling should add almost nothing to it).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "server/gzip_decode.h"

namespace {

// An all-status-like JSON text of the given size with varied values, so that it compresses
// about as well as a real answer.
std::string jsonBody(std::size_t bytes) {
    std::string json = "{\"channel_status\":{";
    uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFF;
    };
    int boss = 0;
    while (json.size() + 400 < bytes) {
        char id[32];
        std::snprintf(id, sizeof id, "%s\"b%014d\":[", boss ? "]," : "", boss);
        json += id;
        for (int channel = 1; channel <= 40 && json.size() + 400 < bytes; ++channel) {
            char report[320];
            std::snprintf(report, sizeof report,
                          "%s{\"channel_number\":%d,\"last_hp\":%u,\"last_update\":\"2025-12-01 11:%02u:%02u.%03uZ\","
                          "\"dps\":%u.%03u,\"etd\":%u,\"death_time_estimate\":\"2025-12-01 12:%02u:%02u.000Z\"}",
                          channel > 1 ? "," : "", channel, next() % 101, next() % 60, next() % 60, next() % 1000,
                          next() % 3, next() % 1000, next() % 900, next() % 60, next() % 60);
            json += report;
        }
        ++boss;
    }
    json += "]}}";
    json.resize(bytes, ' ');  // pad inside nothing: trailing blanks are valid JSON whitespace
    return json;
}

std::string gzipOf(const std::string& data) {
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("init");
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

struct Sample {
    std::string plain;
    std::string gzip;
};

const Sample& sample(std::size_t bytes) {
    static Sample small{jsonBody(1 << 20), {}};
    static Sample large{jsonBody(10 << 20), {}};
    Sample& s = bytes == (1u << 20) ? small : large;
    if (s.gzip.empty()) s.gzip = gzipOf(s.plain);
    return s;
}

void BM_InflateGzipBody(benchmark::State& state) {
    const Sample& s = sample(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string out;
        if (!mb::inflateGzipBody(s.gzip, out) || out.size() != s.plain.size()) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.plain.size()));
    state.counters["ratio"] = static_cast<double>(s.plain.size()) / static_cast<double>(s.gzip.size());
}

// zlib alone: raw inflate of the deflate data between the 10-byte header and the trailer
// into an output of the known size, allocated per run like the decoder's.
void BM_ZlibRawInflate(benchmark::State& state) {
    const Sample& s = sample(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string out(s.plain.size(), '\0');
        z_stream stream{};
        inflateInit2(&stream, -15);
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(s.gzip.data() + 10));
        stream.avail_in = static_cast<uInt>(s.gzip.size() - 18);
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = static_cast<uInt>(out.size());
        if (inflate(&stream, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
        inflateEnd(&stream);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(s.plain.size()));
}

}  // namespace

BENCHMARK(BM_InflateGzipBody)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZlibRawInflate)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
