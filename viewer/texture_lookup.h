// Finding the file of an image a model names. Image names come from files
// made on other systems: "C:\MAPS\DUCKCM.TGA" for maps/duckCM.tga.
#pragma once

#include <string>
#include <vector>

namespace kzoview {

// The image's file name: the name after its last '/', '\' or ':'.
std::string imageFileName(const std::string& imageName);

// The path of the image file, or an empty string. Its file name is looked for
// in each directory in order (empty: the current one); only when no directory
// holds it is the whole name tried, '\' read as '/', under each directory in
// the same order (an absolute name as it stands). A name, or a folder of it,
// that does not exist exactly is matched against a directory entry that
// differs only in letter case, the first such in name order.
std::string findImageFile(const std::string& imageName,
                          const std::vector<std::string>& directories);

} // namespace kzoview
