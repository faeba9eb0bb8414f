// Cost of showing a run's messages in the converter's window: a Convert run
// whose one file prints the given number of lines (a large scene's summary
// and warnings). The window repaints between files and at most every 40 ms
// within one, so the cost per line should stay that of appending text.
#include "converter/app/converter_gui.h"

#include <QApplication>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void convertRunPrintingLines(benchmark::State& state) {
    kzo::ConverterGui gui;
    const int lines = static_cast<int>(state.range(0));
    gui.form1.convertOne = [lines](kzo::SceneModel& model, const std::string& input, std::string&,
                                   const kzo::ConversionSettings&) {
        for (int i = 0; i < lines; ++i) {
            kzo::printMessage(model.sink, "'%s' vertex %d welded into 1234 of 20000", input.c_str(),
                              i);
        }
    };
    gui.form1.chooseInputFiles = [](QWidget*) { return QStringList{"/scenes/ship.3ds"}; };
    gui.form1.bitBtn3->click();
    for (auto _ : state) {
        gui.form1.bitBtn6->click();
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(convertRunPrintingLines)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
