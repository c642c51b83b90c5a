// Reading OBJ files into host meshes with tinyobjloader.
#include <tiny_obj_loader.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>

#include "host/runtime/Geometry.h"

namespace host {
namespace {

std::string firstLine(const std::string& text) {
  const std::size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return "unknown error";
  const std::size_t end = text.find_first_of("\r\n", start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool readable(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) && std::ifstream(path, std::ios::binary).is_open();
}

// Builds the mesh from the parsed file; polygons become triangle fans whose
// inner edges are hidden. Throws std::runtime_error naming the first index
// that points outside the file's data.
Mesh toMesh(const tinyobj::attrib_t& attrib, const std::vector<tinyobj::shape_t>& shapes) {
  const std::size_t numVerts = attrib.vertices.size() / 3;
  const std::size_t numUVs = attrib.texcoords.size() / 2;
  Mesh mesh;
  mesh.verts.reserve(numVerts);
  for (std::size_t i = 0; i < numVerts; ++i)
    mesh.verts.push_back(Point3(attrib.vertices[3 * i], attrib.vertices[3 * i + 1], attrib.vertices[3 * i + 2]));
  mesh.tVerts.reserve(numUVs);
  for (std::size_t i = 0; i < numUVs; ++i)
    mesh.tVerts.push_back(UVVert(attrib.texcoords[2 * i], attrib.texcoords[2 * i + 1], 0.f));

  // Corners without texture coordinates in a file that has some share one
  // texture vertex at the origin, added when first needed.
  int missingUV = -1;
  int faceNumber = 0;
  const auto corner = [&](const tinyobj::index_t& index) {
    if (index.vertex_index < 0 || std::size_t(index.vertex_index) >= numVerts)
      throw std::runtime_error("face " + std::to_string(faceNumber) + " uses vertex " +
                               std::to_string(index.vertex_index + 1) + " of " + std::to_string(numVerts));
    if (numUVs == 0) return std::pair<int, int>(index.vertex_index, 0);
    if (index.texcoord_index == -1) {
      if (missingUV < 0) {
        missingUV = mesh.getNumTVerts();
        mesh.tVerts.push_back(UVVert());
      }
      return std::pair<int, int>(index.vertex_index, missingUV);
    }
    if (index.texcoord_index < 0 || std::size_t(index.texcoord_index) >= numUVs)
      throw std::runtime_error("face " + std::to_string(faceNumber) + " uses texture vertex " +
                               std::to_string(index.texcoord_index + 1) + " of " + std::to_string(numUVs));
    return std::pair<int, int>(index.vertex_index, index.texcoord_index);
  };

  for (const tinyobj::shape_t& shape : shapes) {
    const tinyobj::mesh_t& m = shape.mesh;
    std::size_t next = 0;
    for (std::size_t f = 0; f < m.num_face_vertices.size(); ++f) {
      ++faceNumber;
      const std::size_t count = m.num_face_vertices[f];
      if (next + count > m.indices.size()) throw std::runtime_error("face " + std::to_string(faceNumber) + " is truncated");
      const int matId = f < m.material_ids.size() ? m.material_ids[f] : -1;
      if (matId > std::numeric_limits<MtlID>::max())
        throw std::runtime_error("face " + std::to_string(faceNumber) + " has material " + std::to_string(matId));
      for (std::size_t k = 1; k + 1 < count; ++k) {
        const auto a = corner(m.indices[next]), b = corner(m.indices[next + k]), c = corner(m.indices[next + k + 1]);
        Face face;
        face.setVerts(a.first, b.first, c.first);
        face.setSmGroup(1);
        face.setMatID(static_cast<MtlID>(matId < 0 ? 0 : matId));
        face.setEdgeVisFlags(k == 1, EDGE_VIS, k + 2 == count);
        mesh.faces.push_back(face);
        if (numUVs > 0) {
          TVFace tv;
          tv.setTVerts(a.second, b.second, c.second);
          mesh.tvFace.push_back(tv);
        }
      }
      next += count;
    }
  }
  return mesh;
}

}  // namespace

bool LoadObjMesh(const std::string& path, Mesh& mesh, std::string& error) {
  const std::string quoted = "'" + path + "'";
  if (!readable(path)) {
    error = "cannot read OBJ file " + quoted;
    return false;
  }
  try {
    tinyobj::ObjReaderConfig config;
    config.triangulate = false;  // fanned here, where every index is checked first
    config.vertex_color = false;
    tinyobj::ObjReader reader;
    if (!reader.ParseFromFile(path, config)) {
      error = "cannot parse OBJ file " + quoted + ": " + firstLine(reader.Error());
      return false;
    }
    Mesh loaded = toMesh(reader.GetAttrib(), reader.GetShapes());
    if (loaded.faces.empty()) {
      error = "OBJ file " + quoted + " has no triangles";
      return false;
    }
    mesh = std::move(loaded);
    return true;
  } catch (const std::bad_alloc&) {
    error = "OBJ file " + quoted + " is too large to load";
  } catch (const std::exception& e) {
    error = "OBJ file " + quoted + ": " + e.what();
  }
  return false;
}

}  // namespace host
