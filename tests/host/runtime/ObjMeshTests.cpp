#include <gtest/gtest.h>

#include "TestFiles.h"
#include "host/runtime/Geometry.h"

using host::LoadObjMesh;

namespace {

class ObjMesh : public ::testing::Test {
 protected:
  // Loads `text` written as name; on failure the mesh must be left as it was.
  bool load(const std::string& name, const std::string& text) {
    path = dir.path(name);
    testfiles::writeBytes(path, text);
    mesh.verts = {{7.f, 7.f, 7.f}};
    const bool ok = LoadObjMesh(path, mesh, error);
    if (!ok) {
      EXPECT_EQ(mesh.verts.size(), 1u) << "a failed load changed the mesh";
    }
    return ok;
  }
  testfiles::TempDir dir;
  std::string path, error;
  Mesh mesh;
};

}  // namespace

TEST_F(ObjMesh, ReadsPositionsTextureCoordinatesAndMaterials) {
  testfiles::writeBytes(dir.path("two.mtl"), "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\n");
  ASSERT_TRUE(load("tri.obj",
                   "mtllib two.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
                   "usemtl blue\nf 1/1 2/2 3/3\nusemtl red\nf 1/3 3/2 2/1\n"))
      << error;
  ASSERT_EQ(mesh.getNumVerts(), 3);
  ASSERT_EQ(mesh.getNumFaces(), 2);
  EXPECT_EQ(mesh.verts[1], Point3(1, 0, 0));
  ASSERT_EQ(mesh.getNumTVerts(), 3);
  EXPECT_EQ(mesh.tVerts[2], UVVert(0, 1, 0));
  EXPECT_EQ(mesh.tvFace[1].t[0], 2u);
  EXPECT_EQ(mesh.faces[1].v[1], 2u);
  EXPECT_EQ(mesh.faces[0].getMatID(), 1);
  EXPECT_EQ(mesh.faces[1].getMatID(), 0);
}

TEST_F(ObjMesh, FansPolygonsAndHidesInnerEdges) {
  ASSERT_TRUE(load("quads.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv -1 1 0\nf 1 2 3 4\nf 1 3 5\nf 1 2 3 4 5\n"))
      << error;
  EXPECT_EQ(mesh.getNumTVerts(), 0);
  EXPECT_TRUE(mesh.tvFace.empty());
  ASSERT_EQ(mesh.getNumFaces(), 2 + 1 + 3);
  EXPECT_EQ(mesh.faces[0].v[0], 0u);
  EXPECT_EQ(mesh.faces[1].v[1], 2u);
  EXPECT_EQ(mesh.faces[1].v[2], 3u);
  EXPECT_EQ(mesh.faces[0].flags & EDGE_ALL, EDGE_A | EDGE_B);
  EXPECT_EQ(mesh.faces[1].flags & EDGE_ALL, EDGE_B | EDGE_C);
  EXPECT_EQ(mesh.faces[2].flags & EDGE_ALL, EDGE_ALL);
  EXPECT_EQ(mesh.faces[4].flags & EDGE_ALL, EDGE_B);
  EXPECT_EQ(mesh.faces[0].getMatID(), 0);
}

TEST_F(ObjMesh, CornersWithoutTextureCoordinatesShareOneAtOrigin) {
  ASSERT_TRUE(load("mixed.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.5 0.5\nf 1/1 2/1 3/1\nf 1 2 3\n")) << error;
  ASSERT_EQ(mesh.getNumTVerts(), 2);
  EXPECT_EQ(mesh.tVerts[1], UVVert());
  EXPECT_EQ(mesh.tvFace[1].t[2], 1u);
}

TEST_F(ObjMesh, RejectsMissingUnreadableAndEmptyFiles) {
  const std::string missing = dir.path("missing.obj");
  EXPECT_FALSE(LoadObjMesh(missing, mesh, error));
  EXPECT_EQ(error, "cannot read OBJ file '" + missing + "'");
  EXPECT_FALSE(LoadObjMesh(dir.path(""), mesh, error));
  EXPECT_EQ(error, "cannot read OBJ file '" + dir.path("") + "'");
  EXPECT_FALSE(load("garbage.obj", std::string("\x89\x01\xff garbage\0\nvt\nx y z\n", 22)));
  EXPECT_EQ(error, "OBJ file '" + path + "' has no triangles");
  EXPECT_FALSE(load("points.obj", "v 0 0 0\nv 1 0 0\nf 1 2\n"));
  EXPECT_EQ(error, "OBJ file '" + path + "' has no triangles");
}

TEST_F(ObjMesh, RejectsIndicesOutsideTheFile) {
  EXPECT_FALSE(load("high.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 9\n"));
  EXPECT_EQ(error, "OBJ file '" + path + "': face 2 uses vertex 9 of 3");
  EXPECT_FALSE(load("relative.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -5 -4 -3 -2\n"));
  EXPECT_EQ(error, "OBJ file '" + path + "': face 1 uses vertex -1 of 3");
  EXPECT_FALSE(load("uv.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/4 3/1\n"));
  EXPECT_EQ(error, "OBJ file '" + path + "': face 1 uses texture vertex 4 of 1");
  EXPECT_FALSE(load("uvrelative.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1 2/-3 3/1\n"));
  EXPECT_EQ(error, "OBJ file '" + path + "': face 1 uses texture vertex -1 of 1");
  EXPECT_FALSE(load("zero.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n"));
  EXPECT_EQ(error.rfind("cannot parse OBJ file '" + path + "': ", 0), 0u) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}
