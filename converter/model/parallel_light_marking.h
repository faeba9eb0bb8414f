// The lit vertices of every light of one file, marked on several threads.
// Each thread takes the next light and marks it with a shadow index of its
// own; the result is kept as one row of bits per light, so that the lights
// can then be applied in index order, exactly as one thread would apply them.
#pragma once

#include "converter/model/scene_model.h"
#include "converter/model/shadow_index.h"
#include "converter/model/shadow_options.h"

#include <cstdint>
#include <vector>

namespace kzo {

struct LightMarks {
    std::size_t wordsPerLight = 0;
    std::vector<std::uint64_t> bits;
};

// Marks every light for which lightAddsLight holds with the given test, on
// threads threads (the calling one among them), each with one of the indexes
// (at least threads of them); the rows of the other lights stay clear. Reads
// the model only. An exception thrown on any thread is thrown again here
// once all have stopped.
void markLightsOnThreads(const SceneModel& model, ShadowTest test,
                         std::vector<ShadowIndex>& indexes, int threads, LightMarks& marks);

} // namespace kzo
