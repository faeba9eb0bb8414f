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

// What every worker of a run shares: the list, where the outputs go, the
// settings, and the inputs refused because an earlier one writes their
// outputs, found before anything is converted.
struct RunPlan {
    RunPlan(const std::vector<std::string>& list, const std::string& directory,
            const ConversionSettings& s)
        : inputs(list), exportDirectory(directory), settings(s),
          collisions(findListCollisions(list, directory, s)) {}
    const std::vector<std::string>& inputs;
    const std::string& exportDirectory;
    const ConversionSettings& settings;
    const std::vector<std::optional<OutputCollision>> collisions;
};

// Each worker converts with its own scene model and the run's one settings.
struct Worker {
    explicit Worker(const RunPlan& p) : plan(p) {}
    const RunPlan& plan;
    SceneModel model;

    FileConversion convert(std::size_t index) {
        FileConversion result;
        model.sink = [&result](const std::string& line) { result.lines.push_back(line); };
        const std::string& input = plan.inputs[index];
        try {
            if (const auto& collision = plan.collisions[index]) {
                reportOutputCollision(model.sink, input, plan.inputs[collision->earlier],
                                      collision->output);
                result.outcome = ConversionOutcome::rejected;
            } else {
                std::string output = outputPathFor(plan.exportDirectory, input);
                result.outcome = convertFile(model, input, output, plan.settings);
            }
        } catch (...) {
            result.error = std::current_exception();
        }
        model.sink = nullptr;
        return result;
    }
};

void runInline(const RunPlan& plan,
               const std::function<void(std::size_t, const FileConversion&)>& report) {
    auto worker = std::make_unique<Worker>(plan);
    for (std::size_t i = 0; i < plan.inputs.size(); ++i) {
        const FileConversion result = worker->convert(i);
        report(i, result);
        if (result.error) {
            return;
        }
    }
}

// Workers take the next unclaimed file; the calling thread reports finished
// files in list order as soon as each one and all before it are done.
void runParallel(const RunPlan& plan, std::size_t workerCount,
                 const std::function<void(std::size_t, const FileConversion&)>& report) {
    const std::vector<std::string>& inputs = plan.inputs;
    std::vector<FileConversion> results(inputs.size());
    std::vector<bool> done(inputs.size(), false);
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};

    auto work = [&] {
        auto worker = std::make_unique<Worker>(plan);
        while (!stop) {
            const std::size_t i = next++;
            if (i >= inputs.size()) {
                return;
            }
            FileConversion result = worker->convert(i);
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
    const RunPlan plan(inputs, exportDirectory, settings);
    if (workers <= 1) {
        runInline(plan, report);
    } else {
        runParallel(plan, workers, report);
    }
}

} // namespace kzo
