#pragma once
// A node's evaluated object as the host's triangle mesh at a time: objects
// that cannot convert give no mesh, and a converted copy is deleted with
// this view.
#include "host/sdk/Mesh.h"
#include "host/sdk/Node.h"
#include "host/sdk/Object.h"

namespace common {

class NodeTriMesh {
 public:
  NodeTriMesh(INode& node, TimeValue t) {
    source_ = node.EvalWorldState(t).obj;
    if (!source_ || !source_->CanConvertToType(triObjectClassID)) return;
    converted_ = source_->ConvertToType(t, triObjectClassID);
    tri_ = dynamic_cast<TriObject*>(converted_);
  }
  ~NodeTriMesh() {
    if (converted_ && converted_ != source_) converted_->DeleteThis();
  }
  NodeTriMesh(const NodeTriMesh&) = delete;
  NodeTriMesh& operator=(const NodeTriMesh&) = delete;

  // The mesh, or null when the object does not convert.
  const Mesh* mesh() const { return tri_ ? &tri_->mesh : nullptr; }
  // The object the node evaluates to (before conversion).
  Object* object() const { return source_; }

  // Calls visit(face index, corner 0, corner 1, corner 2) with the corners
  // mapped through `toSpace`, for every face whose vertex indices are valid.
  template <class Visit>
  void forEachFace(const Matrix3& toSpace, Visit&& visit) const {
    const Mesh* m = mesh();
    if (!m) return;
    const std::size_t verts = m->verts.size();
    for (std::size_t f = 0; f < m->faces.size(); ++f) {
      const Face& face = m->faces[f];
      if (face.v[0] >= verts || face.v[1] >= verts || face.v[2] >= verts) continue;
      if (!visit(f, m->verts[face.v[0]] * toSpace, m->verts[face.v[1]] * toSpace, m->verts[face.v[2]] * toSpace))
        return;
    }
  }

 private:
  Object* source_ = nullptr;
  Object* converted_ = nullptr;
  TriObject* tri_ = nullptr;
};

}  // namespace common
