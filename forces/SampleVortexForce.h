#pragma once
// Samples a Vortex Force node at a time for the ink's swirl source.
#include "forces/SwirlFrame.h"
#include "host/sdk/Matrix3.h"
#include "host/sdk/Time.h"

class INode;

// The frame and the node's transform at t, read directly (not through the
// warp's cache). False when the node is null, has no object or holds
// another class.
bool sampleVortexForce(INode* node, TimeValue t, swirl::Frame& frame, Matrix3& nodeTM);
