// Block indices as QVB_Exists takes them (block number minus one).
#pragma once

namespace qvb::convert::block {

constexpr int kNodalMasses = 8;
constexpr int kNodalInertias = 9;
constexpr int kModalStress = 17;
constexpr int kInvariant1 = 18;
constexpr int kInvariant2 = 19;
constexpr int kInvariant3 = 20;
constexpr int kInvariant4 = 21;
constexpr int kInvariant5 = 22;
constexpr int kInvariant7 = 23;
constexpr int kInvariant8 = 24;
constexpr int kInvariant9 = 25;
constexpr int kRotorDynamics = 36;

}  // namespace qvb::convert::block
