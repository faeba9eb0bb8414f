// Finding the file that holds the geometry of a scene's object line: its .3ds
// twin, or the LightWave object itself.
#pragma once

#include <string>

namespace kzo {

// The geometry path as the scene forms it: the object path with its last three
// characters replaced by "3ds" (Objects\box.lwo gives Objects\box.3ds). Error
// messages name this path.
std::string objectGeometryName(const std::string& objectPath);

// Looks for the object's .3ds file and returns the path of the file found, or
// an empty string. '\' is read as '/'. Tried in this order, each against the
// scene's directory (sceneDirectory, empty for the current one), with a name
// that does not exist exactly matched against a directory entry differing only
// in letter case:
//   1. the path itself (an absolute path as it stands);
//   2. its trailing components, longest first (C:\LW\Objects\box.lwo gives
//      LW/Objects/box.3ds, Objects/box.3ds, box.3ds).
// At each place the name with its last three characters replaced by "3ds" is
// tried, then, when the last component has no dot (old scenes name objects
// without an extension), the name with ".3ds" appended.
std::string findObjectGeometry(const std::string& sceneDirectory, const std::string& objectPath);

// Looks for the object file itself by the same search, under its own name;
// a last component without a dot is then tried with ".lwo" appended.
std::string findObjectFile(const std::string& sceneDirectory, const std::string& objectPath);

} // namespace kzo
