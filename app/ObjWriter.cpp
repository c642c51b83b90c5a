#include "app/ObjWriter.h"

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "host/sdk/Mesh.h"

namespace app {

bool writeObj(const Mesh& mesh, const std::string& file, std::string& error) {
  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(file.c_str(), "wb"), std::fclose);
  if (!out) {
    error = "cannot write " + file;
    return false;
  }
  FILE* f = out.get();
  for (const Point3& v : mesh.verts) std::fprintf(f, "v %.9g %.9g %.9g\n", v.x, v.y, v.z);
  const bool textured = mesh.tvFace.size() == mesh.faces.size() && !mesh.tVerts.empty();
  if (textured)
    for (const UVVert& t : mesh.tVerts) std::fprintf(f, "vt %.9g %.9g\n", t.x, t.y);

  std::map<int, std::vector<int>> byMaterial;
  for (int i = 0; i < mesh.getNumFaces(); ++i) byMaterial[mesh.faces[i].getMatID()].push_back(i);
  for (const auto& [material, faces] : byMaterial) {
    std::fprintf(f, "usemtl mat%d\n", material);
    long long group = -1;
    for (int i : faces) {
      const Face& face = mesh.faces[i];
      if (static_cast<long long>(face.smGroup) != group) {
        group = face.smGroup;
        if (group == 0)
          std::fprintf(f, "s off\n");
        else
          std::fprintf(f, "s %lld\n", group);
      }
      if (textured) {
        const TVFace& t = mesh.tvFace[i];
        std::fprintf(f, "f %u/%u %u/%u %u/%u\n", face.v[0] + 1, t.t[0] + 1, face.v[1] + 1, t.t[1] + 1, face.v[2] + 1,
                     t.t[2] + 1);
      } else {
        std::fprintf(f, "f %u %u %u\n", face.v[0] + 1, face.v[1] + 1, face.v[2] + 1);
      }
    }
  }
  if (std::ferror(f) || std::fflush(f) != 0) {
    error = "cannot write " + file;
    return false;
  }
  return true;
}

}  // namespace app
