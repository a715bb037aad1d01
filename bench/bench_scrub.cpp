// Time from a wheel notch over the widget to its scrubbed picture painted into the
// window: the event handler records the grid at the moved moment and repaints what
// changed before it returns. Run by hand on a Release build, on an X display
// (DISPLAY set) or off-screen without one; --benchmark_repetitions=5 gives steadier
// figures on a busy machine.
#include "ui/app/main_window.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>

using namespace tivora;

namespace {

void BM_WheelStep(benchmark::State &state)
{
    QTemporaryDir home;
    std::ofstream(home.filePath("tivora.ini").toStdString())
        << "[Main]\nWidth=5\n[Tivora]\n"
        << [&] {
               std::string clocks;
               for (int i = 1; i < state.range(0); ++i)
                   clocks += "Clock_" + std::to_string(100 + i).substr(1) + "_h="
                       + std::to_string(i % 24 - 12) + "\n";
               return clocks;
           }();
    const std::filesystem::path dir = home.path().toStdString();
    auto form = std::make_unique<TForm1>(StartupContext {dir / "tivora", dir, {}, false}, nullptr);
    form->show();
    QCoreApplication::processEvents();
    int delta = WheelNotch;
    for (auto _ : state) {
        QWheelEvent e(QPointF(5, 5), QPointF(form->mapToGlobal(QPoint(5, 5))), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form.get(), &e);
        delta = -delta; // back and forth, so that every step changes the picture
    }
    form->ScrubTimer->stop();
    state.SetLabel(std::to_string(form->width()) + "x" + std::to_string(form->height()));
}

BENCHMARK(BM_WheelStep)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
