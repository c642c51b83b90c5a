#pragma once
// Reads a JSON scene file into the core interface's scene: nodes of the
// built-in classes and of every class in the class directory, their
// transforms, settings and parameters (with keys), materials and maps.
#include <string>

class Interface;

namespace host {

class ClassDirectory;

// Replaces the scene with the file's contents. On failure the scene is left
// empty and `error` holds one line naming the file, the node (or material or
// map) and the key at fault.
bool loadSceneFile(const std::string& path, Interface& core, const ClassDirectory& classes, std::string& error);

// The file's text and the folder its relative file names resolve against;
// false with "cannot open scene file '<path>'".
bool readSceneFile(const std::string& path, std::string& text, std::string& baseDir, std::string& error);

// The same for scene text; relative file names resolve against `baseDir`.
bool loadSceneText(const std::string& text, const std::string& baseDir, Interface& core,
                   const ClassDirectory& classes, std::string& error);

}  // namespace host
