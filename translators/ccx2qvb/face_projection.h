// The point of an element face nearest to a given point, found in the face's
// natural coordinates with its own shape functions, so that the interpolation
// a tie uses is the one the face's element uses.
#pragma once

namespace qvb::ccx2qvb {

// A face's nodes in perimeter order (corner, midside, corner, ... for
// second-order faces): 3 or 6 for triangles, 4 or 8 for quadrilaterals.
constexpr int kMaxFaceNodes = 8;

struct FacePoint {
  double r = 0.0, s = 0.0;  // triangles: area coordinates of corners 2, 3; quadrilaterals: [-1, 1]^2
  double shape[kMaxFaceNodes] = {};
  double position[3] = {};
  double distance = 0.0;
};

// Shape functions and their derivatives at (r, s); dr and ds may be null.
void faceShape(int nodeCount, double r, double s, double *shape, double *dr, double *ds);

// The nearest point of the face (coordinates xyz per node) to point: Gauss-Newton
// in (r, s) kept inside the face, so the shape functions never extrapolate.
FacePoint nearestFacePoint(const double *nodes, int nodeCount, const double *point);

}  // namespace qvb::ccx2qvb
