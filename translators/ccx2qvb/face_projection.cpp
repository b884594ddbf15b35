#include "face_projection.h"

#include <algorithm>
#include <cmath>

namespace qvb::ccx2qvb {
namespace {

bool triangle(int nodeCount) { return nodeCount == 3 || nodeCount == 6; }

// Back into the face: a quadrilateral's square, a triangle's r, s >= 0, r + s <= 1.
void keepInside(int nodeCount, double &r, double &s) {
  if (!triangle(nodeCount)) {
    r = std::clamp(r, -1.0, 1.0);
    s = std::clamp(s, -1.0, 1.0);
    return;
  }
  r = std::max(r, 0.0);
  s = std::max(s, 0.0);
  if (r + s > 1.0) {
    const double t = std::clamp(0.5 * (r - s + 1.0), 0.0, 1.0);
    r = t;
    s = 1.0 - t;
  }
}

void interpolate(const double *nodes, int nodeCount, const double *weights, double *out) {
  out[0] = out[1] = out[2] = 0.0;
  for (int i = 0; i < nodeCount; ++i)
    for (int c = 0; c < 3; ++c) out[c] += weights[i] * nodes[3 * i + c];
}

}  // namespace

void faceShape(int nodeCount, double r, double s, double *shape, double *dr, double *ds) {
  double ignored[kMaxFaceNodes];
  if (dr == nullptr) dr = ignored;
  if (ds == nullptr) ds = ignored;
  switch (nodeCount) {
    case 3:
      shape[0] = 1.0 - r - s, shape[1] = r, shape[2] = s;
      dr[0] = -1.0, dr[1] = 1.0, dr[2] = 0.0;
      ds[0] = -1.0, ds[1] = 0.0, ds[2] = 1.0;
      return;
    case 6: {  // corner, midside, corner, ... with area coordinates l0, l1 = r, l2 = s
      const double l[3] = {1.0 - r - s, r, s};
      const double lr[3] = {-1.0, 1.0, 0.0}, ls[3] = {-1.0, 0.0, 1.0};
      for (int k = 0; k < 3; ++k) {
        const int next = (k + 1) % 3;
        shape[2 * k] = l[k] * (2.0 * l[k] - 1.0);
        dr[2 * k] = (4.0 * l[k] - 1.0) * lr[k];
        ds[2 * k] = (4.0 * l[k] - 1.0) * ls[k];
        shape[2 * k + 1] = 4.0 * l[k] * l[next];
        dr[2 * k + 1] = 4.0 * (lr[k] * l[next] + l[k] * lr[next]);
        ds[2 * k + 1] = 4.0 * (ls[k] * l[next] + l[k] * ls[next]);
      }
      return;
    }
    case 4:
    case 8: {
      static const double kCornerR[4] = {-1, 1, 1, -1}, kCornerS[4] = {-1, -1, 1, 1};
      const int step = nodeCount / 4;  // perimeter positions per corner
      for (int k = 0; k < 4; ++k) {
        const double ri = kCornerR[k], si = kCornerS[k];
        const double a = 1.0 + r * ri, b = 1.0 + s * si;
        if (step == 1) {
          shape[k] = 0.25 * a * b, dr[k] = 0.25 * ri * b, ds[k] = 0.25 * a * si;
          continue;
        }
        const double c = r * ri + s * si - 1.0;
        shape[2 * k] = 0.25 * a * b * c;
        dr[2 * k] = 0.25 * ri * (b * c + a * b);
        ds[2 * k] = 0.25 * si * (a * c + a * b);
        // The midside node after corner k, at the middle of the edge to corner k + 1.
        const double mr = 0.5 * (ri + kCornerR[(k + 1) % 4]), ms = 0.5 * (si + kCornerS[(k + 1) % 4]);
        if (mr == 0.0) {
          shape[2 * k + 1] = 0.5 * (1.0 - r * r) * (1.0 + s * ms);
          dr[2 * k + 1] = -r * (1.0 + s * ms);
          ds[2 * k + 1] = 0.5 * (1.0 - r * r) * ms;
        } else {
          shape[2 * k + 1] = 0.5 * (1.0 + r * mr) * (1.0 - s * s);
          dr[2 * k + 1] = 0.5 * mr * (1.0 - s * s);
          ds[2 * k + 1] = -s * (1.0 + r * mr);
        }
      }
      return;
    }
    default:
      return;
  }
}

FacePoint nearestFacePoint(const double *nodes, int nodeCount, const double *point) {
  FacePoint p;
  if (triangle(nodeCount)) p.r = p.s = 1.0 / 3.0;
  double dr[kMaxFaceNodes], ds[kMaxFaceNodes];
  // The face's size: steps below a tiny fraction of it are converged.
  double size = 0.0;
  for (int i = 1; i < nodeCount; ++i)
    for (int c = 0; c < 3; ++c) size = std::max(size, std::fabs(nodes[3 * i + c] - nodes[c]));
  for (int iteration = 0; iteration < 50; ++iteration) {
    faceShape(nodeCount, p.r, p.s, p.shape, dr, ds);
    double x[3], xr[3], xs[3];
    interpolate(nodes, nodeCount, p.shape, x);
    interpolate(nodes, nodeCount, dr, xr);
    interpolate(nodes, nodeCount, ds, xs);
    double a = 0, b = 0, c = 0, gr = 0, gs = 0;
    for (int k = 0; k < 3; ++k) {
      const double d = x[k] - point[k];
      a += xr[k] * xr[k], b += xr[k] * xs[k], c += xs[k] * xs[k];
      gr += xr[k] * d, gs += xs[k] * d;
    }
    const double det = a * c - b * b;
    if (!(det > 0.0)) break;  // a degenerate face: keep the point reached
    const double stepR = -(c * gr - b * gs) / det, stepS = -(a * gs - b * gr) / det;
    const double oldR = p.r, oldS = p.s;
    p.r += stepR, p.s += stepS;
    keepInside(nodeCount, p.r, p.s);
    const double moved = std::hypot(p.r - oldR, p.s - oldS);
    if (moved * std::sqrt(a + c) <= 1e-15 * size) break;
  }
  faceShape(nodeCount, p.r, p.s, p.shape, nullptr, nullptr);
  interpolate(nodes, nodeCount, p.shape, p.position);
  p.distance = std::sqrt((p.position[0] - point[0]) * (p.position[0] - point[0]) +
                         (p.position[1] - point[1]) * (p.position[1] - point[1]) +
                         (p.position[2] - point[2]) * (p.position[2] - point[2]));
  return p;
}

}  // namespace qvb::ccx2qvb
