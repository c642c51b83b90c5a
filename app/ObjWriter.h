#pragma once
// Writes a host mesh as OBJ text: positions, texture vertices, and faces
// grouped by material id ("usemtl mat<ID>") with smoothing-group lines.
#include <string>

class Mesh;

namespace app {

// False with "cannot write <file>" when the file cannot be written.
bool writeObj(const Mesh& mesh, const std::string& file, std::string& error);

}  // namespace app
