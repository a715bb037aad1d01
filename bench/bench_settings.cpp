// Loading and saving the settings file: 1,000 clocks, and files of growing size to
// show that loading and saving stay linear in the number of keys.

#include "core/model/settings.h"
#include "core/base/ini_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace tivora;

namespace {

// A scratch folder removed when the program ends.
const std::filesystem::path &scratch()
{
    static const struct Folder
    {
        std::filesystem::path path;
        Folder()
        {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "tivora-bench-XXXXXX").string();
            if (!::mkdtemp(pattern.data()))
                std::abort();
            path = pattern;
        }
        ~Folder()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } folder;
    return folder.path;
}

// A settings file as the program writes it, with the given number of clocks.
std::filesystem::path settingsWithClocks(int clocks)
{
    const auto file = scratch() / ("clocks-" + std::to_string(clocks) + ".ini");
    if (std::filesystem::exists(file))
        return file;
    std::string text = "[Main]\nWidth=10\nShowArray=1\nShowDate=1\nShowDesc=1\nShowDigits=1\n"
                       "ShowDelimiters=0\nShowWhiteBG=0\nShowTextWhiteBG=0\nShowSystemTime=1\n"
                       "Skin=Default\nActiveTr=255\nPassiveTr=200\nStayOnTop=1\n"
                       "SysTimeDesc=System\npTop=263\npLeft=373\n[Tivora]\n";
    char line[96];
    for (int n = 1; n <= clocks; ++n) {
        std::snprintf(line, sizeof line,
                      "Clock_%.2d_h=%d\nClock_%.2d_m=%d\nClock_%.2d_Desc=City %d\n", n, n % 49 - 24,
                      n, (n * 7) % 60, n, n);
        text += line;
    }
    std::ofstream(file, std::ios::binary) << text;
    return file;
}

void loadOnce(const std::filesystem::path &file, TClockList &clocks)
{
    TOptions options;
    WindowPlacement placement;
    IniFile ini(file);
    loadSettings(ini, options, placement, clocks);
    ini.close();
}

// The whole save as SaveOptions does it: open, write Main, rewrite the clock section,
// write the file back (temporary file, fsync, rename).
void saveOnce(const std::filesystem::path &file, const TClockList &clocks)
{
    IniFile ini(file);
    writeSettings(ini, TOptions(), WindowPlacement(), clocks);
    ini.close();
}

void BM_LoadSettings1000Clocks(benchmark::State &state)
{
    const auto file = settingsWithClocks(1000);
    TClockList clocks;
    for (auto _ : state) {
        loadOnce(file, clocks);
        benchmark::DoNotOptimize(clocks.data());
    }
    if (clocks.size() != 1001)
        state.SkipWithError("clocks were not loaded");
}
BENCHMARK(BM_LoadSettings1000Clocks)->Unit(benchmark::kMicrosecond);

void BM_SaveSettings1000Clocks(benchmark::State &state)
{
    const auto file = settingsWithClocks(1000);
    TClockList clocks;
    loadOnce(file, clocks);
    for (auto _ : state)
        saveOnce(file, clocks);
}
BENCHMARK(BM_SaveSettings1000Clocks)->Unit(benchmark::kMicrosecond);

// Loading files of 1k, 10k and 100k keys (a third of them hour keys): parse plus one
// lookup per key. Linear growth shows as O(N) in the complexity report.
void BM_LoadKeys(benchmark::State &state)
{
    const int keys = int(state.range(0));
    const auto file = settingsWithClocks(keys / 3);
    TClockList clocks;
    for (auto _ : state) {
        loadOnce(file, clocks);
        benchmark::DoNotOptimize(clocks.data());
    }
    state.SetComplexityN(keys);
}
BENCHMARK(BM_LoadKeys)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Saving the same files: every clock key is erased and appended again.
void BM_SaveKeys(benchmark::State &state)
{
    const int keys = int(state.range(0));
    const auto file = settingsWithClocks(keys / 3);
    TClockList clocks;
    loadOnce(file, clocks);
    for (auto _ : state)
        saveOnce(file, clocks);
    state.SetComplexityN(keys);
}
BENCHMARK(BM_SaveKeys)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
