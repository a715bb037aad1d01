// Cost of one repaint: composing the clock grid into the off-screen picture, and
// rebuilding the window's shape mask, each next to a plain copy of a picture of the same
// size as a yardstick. Run by hand (a Release build; --benchmark_repetitions=5 gives
// steadier figures on a busy machine); prints the ratios at the end.
#include "core/render/clock_grid.h"
#include "ui/render/qt_canvas.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

using namespace tivora;

namespace {

const int FaceCounts[] = {1, 10, 100};

// A white 139 x 139 skin with a dial circle.
QtBitmap makeSkin()
{
    QImage img(139, 139, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 2));
    p.drawEllipse(QPoint(68, 68), 66, 66);
    p.end();
    return QtBitmap(img);
}

// The default skin's options: 18-point Arial bold texts centred below the dial.
TOptions defaultOptions()
{
    TOptions o;
    o.Width = 10;
    o.cWindth = 139;
    o.cHeight = 220;
    o.DigposX = o.DateposX = o.DescposX = 69;
    o.DigposY = 140;
    o.DateposY = 164;
    o.DescposY = 188;
    return o;
}

// faces - 1 user clocks plus the system-time clock.
TClockList makeClocks(int faces)
{
    TClockList clocks {TClock {0, 0, "System"}};
    for (int i = 1; i < faces; ++i)
        clocks.push_back(TClock {std::int8_t(i % 24 - 12), std::int8_t(i % 2 ? 30 : 0),
                                 "City " + std::to_string(i)});
    return clocks;
}

struct Scene
{
    TOptions options = defaultOptions();
    QtBitmap skin = makeSkin();
    TClockList clocks;
    QtCanvas canvas {96};
    GridSize grid;

    explicit Scene(int faces) : clocks(makeClocks(faces))
    {
        grid = fitGrid(options, clocks);
        canvas.resize(grid.width, grid.height);
    }

    void compose(int second)
    {
        FaceContext ctx {options, skin, {2026, 12, 7, 13, 45, second % 60}, ":"};
        composeGrid(canvas, ctx, clocks);
    }
};

void BM_Compose(benchmark::State &state)
{
    Scene scene(int(state.range(0)));
    int second = 0;
    for (auto _ : state) {
        scene.compose(second++);
        benchmark::DoNotOptimize(scene.canvas.image().constBits());
    }
    state.SetLabel(std::to_string(scene.grid.width) + "x" + std::to_string(scene.grid.height));
}

// The yardstick: one memcpy of a picture as large as the composed one.
void BM_CopyBaseline(benchmark::State &state)
{
    Scene scene(int(state.range(0)));
    const QImage src = QImage(scene.grid.width, scene.grid.height, QImage::Format_RGB32);
    QImage dst(src.size(), src.format());
    for (auto _ : state) {
        std::memcpy(dst.bits(), src.constBits(), size_t(src.sizeInBytes()));
        benchmark::ClobberMemory();
    }
}

// The window's shape: every pixel that is not exactly white.
void BM_ShapeMask(benchmark::State &state)
{
    Scene scene(10);
    scene.compose(0);
    const QImage picture = scene.canvas.image();
    for (auto _ : state) {
        // With MaskInColor the region made from the bitmap is the non-white pixels.
        const QImage mask = picture.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor);
        QRegion region(QBitmap::fromImage(mask));
        benchmark::DoNotOptimize(region.rectCount());
    }
}

BENCHMARK(BM_Compose)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyBaseline)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShapeMask)->Unit(benchmark::kMicrosecond);

// Shows the usual table and keeps each run's time per iteration (in its display unit).
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, double> times;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                // With --benchmark_repetitions the fastest repetition counts: on a busy
                // machine it is the one least disturbed.
                auto [it, added] = times.emplace(run.benchmark_name(), run.GetAdjustedRealTime());
                if (!added)
                    it->second = std::min(it->second, run.GetAdjustedRealTime());
            }
    }
};

void printRatios(const std::map<std::string, double> &t)
{
    auto get = [&](const std::string &name) {
        auto it = t.find(name);
        return it == t.end() ? 0.0 : it->second;
    };
    std::printf("\nRatios to one plain copy of a picture of the same size:\n");
    for (int faces : FaceCounts) {
        const double compose = get("BM_Compose/" + std::to_string(faces));
        const double copy = get("BM_CopyBaseline/" + std::to_string(faces));
        if (compose > 0 && copy > 0)
            std::printf("  compose %3d faces: %9.1f us = %7.1f copies, %6.1f us per face\n", faces,
                        compose, compose / copy, compose / faces);
    }
    const double mask = get("BM_ShapeMask");
    const double copy10 = get("BM_CopyBaseline/10");
    if (mask > 0 && copy10 > 0)
        std::printf("  shape mask, 10 faces: %9.1f us = %7.1f copies\n", mask, mask / copy10);
}

} // namespace

int main(int argc, char **argv)
{
    // Drawing needs a GUI application but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtimeDir;
    qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toUtf8());
    QGuiApplication app(argc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printRatios(reporter.times);
    return 0;
}
