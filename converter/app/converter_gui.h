// The converter's three forms and the scene model they convert into, created
// in this order at start and kept for the whole program. Only the main form
// is shown at start.
#pragma once

#include "converter/app/export_directory_dialog.h"
#include "converter/app/main_form.h"
#include "converter/app/message_window.h"
#include "converter/model/scene_model.h"

#include <string>
#include <vector>

namespace kzo {

inline constexpr const char* kConverterTitle = "KZO file maker v1.0";

struct ConverterGui {
    ConverterGui();

    SceneModel model;
    MainForm form1;
    ExportDirectoryDialog form2;
    MessageWindow form3;
};

// Starts the GUI with the files listed and runs it until the main form
// closes. Needs a display.
int runConverterGui(int argc, char** argv, const std::vector<std::string>& files = {});

} // namespace kzo
