// Decoding and printing of captured replies (bench/captured_replies.h), with
// Google Benchmark: time per reply, and per octet of the reply (the
// "ns_per_octet" counter). Each Message is released after use, as the client
// releases it after printing. The printer writes to standard output as it does in
// the client; while a benchmark runs, standard output goes to /dev/null, and
// the pager's line count is reset before every reply as the command loop does.
// Run it with standard input away from a terminal (bench/run.sh gives it
// /dev/null), or the pager waits for a key every 24 lines.
#include "captured_replies.h"

#include "message/message.h"
#include "shell/pager.h"
#include "shell/print_message.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <utility>
#include <unistd.h>

namespace {

// Points standard output at /dev/null for as long as it lives.
struct QuietStdout {
    int saved;
    QuietStdout()
    {
        std::fflush(stdout);
        saved = dup(1);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;
};

void per_octet(benchmark::State& state, const CapturedReply& reply)
{
    auto octets = static_cast<double>(reply.octets.size());
    state.counters["octets"] = octets;
    state.counters["ns_per_octet"] =
        benchmark::Counter(octets * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void decode(benchmark::State& state, const CapturedReply& reply)
{
    for (auto _ : state) {
        auto message = decode_message(reply.octets.data(), static_cast<int>(reply.octets.size()));
        if (!message) {
            state.SkipWithError("the reply did not decode");
            break;
        }
        benchmark::DoNotOptimize(message);
        release_message(std::move(*message));
    }
    per_octet(state, reply);
}

void decode_and_print(benchmark::State& state, const CapturedReply& reply)
{
    QuietStdout quiet;
    for (auto _ : state) {
        auto message = decode_message(reply.octets.data(), static_cast<int>(reply.octets.size()));
        if (!message) {
            state.SkipWithError("the reply did not decode");
            break;
        }
        page_line_count = 0;
        print_message(*message);
        release_message(std::move(*message));
    }
    per_octet(state, reply);
}

void print_only(benchmark::State& state, const CapturedReply& reply)
{
    auto message = decode_message(reply.octets.data(), static_cast<int>(reply.octets.size()));
    if (!message) {
        state.SkipWithError("the reply did not decode");
        return;
    }
    QuietStdout quiet;
    for (auto _ : state) {
        page_line_count = 0;
        print_message(*message);
    }
    per_octet(state, reply);
}

} // namespace

int main(int argc, char** argv)
{
    for (const CapturedReply& reply : CAPTURED_REPLIES) {
        benchmark::RegisterBenchmark((std::string("decode/") + reply.name).c_str(), decode, reply);
        benchmark::RegisterBenchmark((std::string("print/") + reply.name).c_str(), print_only, reply);
        benchmark::RegisterBenchmark((std::string("decode_print/") + reply.name).c_str(), decode_and_print,
                                     reply);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
