// rfft2d at the focus-measurement sizes and rffts at 4096 points, side by side with
// FFTW's single-precision real transforms (plans made with FFTW_MEASURE, outside the
// timing). Google Benchmark times every transform on its own; a table at the end gives
// our time / FFTW's time per size, against FFTW's faster variant (in place or out of
// place), measured in alternating bursts.
//
// Every transform works in place on the previous result; the data are refilled with
// fresh random values (outside the timing) every few transforms so that they stay
// finite.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "fft/fft2d.h"
#include "fft/fftext.h"

#if SCOPECAM_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

// Transforms between refills: the values grow by about sqrt(N) per transform.
constexpr int kRefillEvery = 8;

void Fill(float* data, std::size_t count)
{
    static std::mt19937 engine(12345);
    std::uniform_real_distribution<float> dist(-1.0f, 1.0f);
    for (std::size_t i = 0; i < count; ++i) {
        data[i] = dist(engine);
    }
}

// Runs transform() once per iteration, refilling the count floats at data untimed.
template <class Transform>
void TimeInPlace(benchmark::State& state, float* data, std::size_t count, Transform transform)
{
    Fill(data, count);
    int sinceRefill = 0;
    for (auto _ : state) {
        if (sinceRefill == kRefillEvery) {
            state.PauseTiming();
            Fill(data, count);
            sinceRefill = 0;
            state.ResumeTiming();
        }
        transform();
        benchmark::ClobberMemory();
        ++sinceRefill;
    }
}

void Rfft2dOurs(benchmark::State& state)
{
    const long M = state.range(0);
    const std::size_t n = std::size_t{1} << M;
    fft2dInit(M, M);
    std::vector<float> data(n * n);
    TimeInPlace(state, data.data(), data.size(), [&] { rfft2d(data.data(), M, M); });
}

void RfftsOurs(benchmark::State& state)
{
    const long M = state.range(0);
    fftInit(M);
    std::vector<float> data(std::size_t{1} << M);
    TimeInPlace(state, data.data(), data.size(), [&] { rffts(data.data(), M, 1); });
}

#if SCOPECAM_HAVE_FFTW
// In place: rows padded to 2 (n/2 + 1) floats, as FFTW's in-place r2c layout needs.
void Rfft2dFftw(benchmark::State& state)
{
    const int n = 1 << state.range(0);
    const std::size_t count = static_cast<std::size_t>(n) * (n + 2);
    float* data = fftwf_alloc_real(count);
    fftwf_plan plan = fftwf_plan_dft_r2c_2d(n, n, data, reinterpret_cast<fftwf_complex*>(data), FFTW_MEASURE);
    TimeInPlace(state, data, count, [&] { fftwf_execute(plan); });
    fftwf_destroy_plan(plan);
    fftwf_free(data);
}

void Rfft2dFftwOutOfPlace(benchmark::State& state)
{
    const int n = 1 << state.range(0);
    const std::size_t count = static_cast<std::size_t>(n) * n;
    float* in = fftwf_alloc_real(count);
    fftwf_complex* out = fftwf_alloc_complex(static_cast<std::size_t>(n) * (n / 2 + 1));
    fftwf_plan plan = fftwf_plan_dft_r2c_2d(n, n, in, out, FFTW_MEASURE);
    TimeInPlace(state, in, count, [&] { fftwf_execute(plan); });
    fftwf_destroy_plan(plan);
    fftwf_free(out);
    fftwf_free(in);
}

void RfftsFftw(benchmark::State& state)
{
    const int n = 1 << state.range(0);
    float* data = fftwf_alloc_real(n + 2);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(n, data, reinterpret_cast<fftwf_complex*>(data), FFTW_MEASURE);
    TimeInPlace(state, data, n + 2, [&] { fftwf_execute(plan); });
    fftwf_destroy_plan(plan);
    fftwf_free(data);
}

void RfftsFftwOutOfPlace(benchmark::State& state)
{
    const int n = 1 << state.range(0);
    float* in = fftwf_alloc_real(n);
    fftwf_complex* out = fftwf_alloc_complex(n / 2 + 1);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(n, in, out, FFTW_MEASURE);
    TimeInPlace(state, in, n, [&] { fftwf_execute(plan); });
    fftwf_destroy_plan(plan);
    fftwf_free(out);
    fftwf_free(in);
}
#endif

void Register()
{
    struct Entry {
        const char* name;
        void (*function)(benchmark::State&);
    };
    std::vector<Entry> twoD = {{"rfft2d/ours", Rfft2dOurs}};
    std::vector<Entry> oneD = {{"rffts/ours", RfftsOurs}};
#if SCOPECAM_HAVE_FFTW
    twoD.push_back({"rfft2d/fftw", Rfft2dFftw});
    twoD.push_back({"rfft2d/fftw_oop", Rfft2dFftwOutOfPlace});
    oneD.push_back({"rffts/fftw", RfftsFftw});
    oneD.push_back({"rffts/fftw_oop", RfftsFftwOutOfPlace});
#endif
    for (long M = 5; M <= 8; ++M) {
        for (const Entry& entry : twoD) {
            const std::string name = std::string(entry.name) + "/" + std::to_string(1L << M);
            benchmark::RegisterBenchmark(name.c_str(), entry.function)->Arg(M)->Repetitions(3)->Unit(benchmark::kMicrosecond);
        }
    }
    for (const Entry& entry : oneD) {
        const std::string name = std::string(entry.name) + "/4096";
        benchmark::RegisterBenchmark(name.c_str(), entry.function)->Arg(12)->Repetitions(3)->Unit(benchmark::kMicrosecond);
    }
}

// The side-by-side table: the transforms of one size take turns in short bursts, many
// rounds, and each keeps its fastest burst. Taking turns keeps a busy machine from
// favouring whichever ran at a quiet moment.
class SideBySide {
public:
    struct Contender {
        float* data;
        std::size_t count;
        std::function<void()> transform;
    };

    // Microseconds a transform, fastest burst of each contender.
    static std::vector<double> Measure(const std::vector<Contender>& contenders, int rounds, int burst)
    {
        std::vector<double> best(contenders.size(), 1e300);
        for (int round = 0; round < rounds; ++round) {
            for (std::size_t c = 0; c < contenders.size(); ++c) {
                const Contender& contender = contenders[c];
                Fill(contender.data, contender.count);
                const auto start = std::chrono::steady_clock::now();
                for (int i = 0; i < burst; ++i) {
                    contender.transform();
                }
                const auto stop = std::chrono::steady_clock::now();
                const double microseconds = std::chrono::duration<double, std::micro>(stop - start).count() / burst;
                best[c] = std::min(best[c], microseconds);
            }
        }
        return best;
    }

    // times: ours, then FFTW in place and out of place when there is FFTW. The budget is
    // checked against FFTW's faster variant.
    static void PrintRow(const std::string& label, const std::vector<double>& times, double budget)
    {
        if (times.size() < 3) {
            std::printf("%-12s %9.3f %9s %9s %9s %9s %7.1f\n", label.c_str(), times[0], "-", "-", "-", "-", budget);
            return;
        }
        const double ratio = times[0] / std::min(times[1], times[2]);
        std::printf("%-12s %9.3f %9.3f %9.3f %9.2f %9.2f %7.1f %s\n", label.c_str(), times[0], times[1], times[2],
                    ratio, times[0] / times[1], budget, ratio <= budget ? "met" : "MISSED");
    }
};

void PrintSideBySide()
{
    constexpr int kRounds = 200;
    std::printf("\nSide by side (fastest of %d alternating bursts of %d transforms):\n", kRounds, kRefillEvery);
    std::printf("(us a transform; ip: FFTW in place, oop: out of place; best: the faster of the two)\n");
    std::printf("%-12s %9s %9s %9s %9s %9s %7s\n", "transform", "ours", "fftw ip", "fftw oop", "ours/best", "ours/ip",
                "budget");
    for (long M = 5; M <= 8; ++M) {
        const int n = 1 << M;
        const std::size_t count = static_cast<std::size_t>(n) * n;
        fft2dInit(M, M);
        std::vector<float> ours(count);
        std::vector<SideBySide::Contender> contenders = {
            {ours.data(), count, [&] { rfft2d(ours.data(), M, M); }}};
#if SCOPECAM_HAVE_FFTW
        const std::size_t padded = static_cast<std::size_t>(n) * (n + 2);
        float* inPlace = fftwf_alloc_real(padded);
        fftwf_plan inPlacePlan =
            fftwf_plan_dft_r2c_2d(n, n, inPlace, reinterpret_cast<fftwf_complex*>(inPlace), FFTW_MEASURE);
        float* in = fftwf_alloc_real(count);
        fftwf_complex* out = fftwf_alloc_complex(static_cast<std::size_t>(n) * (n / 2 + 1));
        fftwf_plan outPlan = fftwf_plan_dft_r2c_2d(n, n, in, out, FFTW_MEASURE);
        contenders.push_back({inPlace, padded, [&] { fftwf_execute(inPlacePlan); }});
        contenders.push_back({in, count, [&] { fftwf_execute(outPlan); }});
#endif
        const std::vector<double> times = SideBySide::Measure(contenders, kRounds, kRefillEvery);
        SideBySide::PrintRow("rfft2d " + std::to_string(n), times, M == 8 ? 1.5 : 2.0);
#if SCOPECAM_HAVE_FFTW
        fftwf_destroy_plan(outPlan);
        fftwf_free(out);
        fftwf_free(in);
        fftwf_destroy_plan(inPlacePlan);
        fftwf_free(inPlace);
#endif
    }
    const long M = 12;
    const int n = 1 << M;
    fftInit(M);
    std::vector<float> ours(n);
    std::vector<SideBySide::Contender> contenders = {{ours.data(), ours.size(), [&] { rffts(ours.data(), M, 1); }}};
#if SCOPECAM_HAVE_FFTW
    float* inPlace = fftwf_alloc_real(n + 2);
    fftwf_plan inPlacePlan = fftwf_plan_dft_r2c_1d(n, inPlace, reinterpret_cast<fftwf_complex*>(inPlace), FFTW_MEASURE);
    float* in = fftwf_alloc_real(n);
    fftwf_complex* out = fftwf_alloc_complex(n / 2 + 1);
    fftwf_plan outPlan = fftwf_plan_dft_r2c_1d(n, in, out, FFTW_MEASURE);
    contenders.push_back({inPlace, static_cast<std::size_t>(n) + 2, [&] { fftwf_execute(inPlacePlan); }});
    contenders.push_back({in, static_cast<std::size_t>(n), [&] { fftwf_execute(outPlan); }});
#endif
    SideBySide::PrintRow("rffts 4096", SideBySide::Measure(contenders, kRounds * 4, kRefillEvery), 2.0);
#if SCOPECAM_HAVE_FFTW
    fftwf_destroy_plan(outPlan);
    fftwf_free(out);
    fftwf_free(in);
    fftwf_destroy_plan(inPlacePlan);
    fftwf_free(inPlace);
#endif
}

}  // namespace

int main(int argc, char** argv)
{
    Register();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
#if !SCOPECAM_HAVE_FFTW
    std::printf("\nFFTW3 single precision not found at configuration: no comparison.\n");
#endif
    PrintSideBySide();
    benchmark::Shutdown();
    return 0;
}
