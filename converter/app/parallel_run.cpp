#include "converter/app/parallel_run.h"

#include "converter/app/convert_list.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace kzo {
namespace {

// Each worker converts with its own scene model and the run's one settings.
struct Worker {
    explicit Worker(const ConversionSettings& s) : settings(s) {}
    const ConversionSettings& settings;
    SceneModel model;

    FileConversion convert(const std::string& input, const std::string& exportDirectory) {
        FileConversion result;
        model.sink = [&result](const std::string& line) { result.lines.push_back(line); };
        std::string output = outputPathFor(exportDirectory, input);
        try {
            result.outcome = convertFile(model, input, output, settings);
        } catch (...) {
            result.error = std::current_exception();
        }
        model.sink = nullptr;
        return result;
    }
};

void runInline(const std::vector<std::string>& inputs, const std::string& exportDirectory,
               const ConversionSettings& settings,
               const std::function<void(std::size_t, const FileConversion&)>& report) {
    auto worker = std::make_unique<Worker>(settings);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const FileConversion result = worker->convert(inputs[i], exportDirectory);
        report(i, result);
        if (result.error) {
            return;
        }
    }
}

// Workers take the next unclaimed file; the calling thread reports finished
// files in list order as soon as each one and all before it are done.
void runParallel(const std::vector<std::string>& inputs, const std::string& exportDirectory,
                 const ConversionSettings& settings, std::size_t workerCount,
                 const std::function<void(std::size_t, const FileConversion&)>& report) {
    std::vector<FileConversion> results(inputs.size());
    std::vector<bool> done(inputs.size(), false);
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};

    auto work = [&] {
        auto worker = std::make_unique<Worker>(settings);
        while (!stop) {
            const std::size_t i = next++;
            if (i >= inputs.size()) {
                return;
            }
            FileConversion result = worker->convert(inputs[i], exportDirectory);
            if (result.error) {
                stop = true;
            }
            const std::lock_guard lock(mutex);
            results[i] = std::move(result);
            done[i] = true;
            finished.notify_all();
        }
    };
    std::vector<std::jthread> threads;
    for (std::size_t t = 0; t < workerCount; ++t) {
        threads.emplace_back(work);
    }
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        std::unique_lock lock(mutex);
        // Files before an error are always claimed, so this wait ends.
        finished.wait(lock, [&] { return done[i]; });
        const FileConversion result = std::move(results[i]);
        lock.unlock();
        report(i, result);
        if (result.error) {
            stop = true;
            break;
        }
    }
}

} // namespace

void runParallelConversions(const std::vector<std::string>& inputs,
                            const std::string& exportDirectory, const ConversionSettings& settings,
                            int jobs,
                            const std::function<void(std::size_t, const FileConversion&)>& report) {
    const std::size_t workers =
        std::min(inputs.size(), static_cast<std::size_t>(std::max(jobs, 1)));
    if (workers <= 1) {
        runInline(inputs, exportDirectory, settings, report);
    } else {
        runParallel(inputs, exportDirectory, settings, workers, report);
    }
}

} // namespace kzo
