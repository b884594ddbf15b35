// A sheet-metal angle bracket in steel, SI units: 2 mm shells, a base flange
// with two bolt holes and an upright flange that carries a unit (a point
// mass at its mounting point). The mesh is gmsh's, written with
//   gmsh sheet_bracket.geo -2 -format inp -o sheet_mesh.inp
// as second-order quadrilaterals, which gmsh names CPS8 (run.sh renames them
// the shells S8R), in the element set SHEET; the rings the bolts' washers
// clamp are the element sets WASHER1 and WASHER2 (the interfaces).
SetFactory("OpenCASCADE");
L = 0.08;    // base length (x)
W = 0.05;    // width (y)
H = 0.06;    // upright height (z)
r = 0.0045;  // bolt hole radius (M8 clearance)
rw = 0.008;  // washer radius
xh = 0.055;  // hole centres at (xh, y1) and (xh, y2)
y1 = 0.014;
y2 = 0.036;

// The mid-surfaces: the base in z = 0, the upright in x = 0 (a sharp bend),
// and the washer rings around the holes.
Rectangle(1) = {0, 0, 0, L, W};
Rectangle(2) = {0, 0, 0, H, W};
Rotate {{0, 1, 0}, {0, 0, 0}, -Pi/2} { Surface{2}; }
Disk(3) = {xh, y1, 0, rw};
Disk(4) = {xh, y2, 0, rw};
Disk(5) = {xh, y1, 0, r};
Disk(6) = {xh, y2, 0, r};
BooleanFragments{ Surface{1, 2}; Delete; }{ Surface{3, 4, 5, 6}; Delete; }
e = 1e-5;
Recursive Delete { Surface{ Surface In BoundingBox{xh - r - e, y1 - r - e, -e, xh + r + e, y1 + r + e, e} }; }
Recursive Delete { Surface{ Surface In BoundingBox{xh - r - e, y2 - r - e, -e, xh + r + e, y2 + r + e, e} }; }

// The unit's mounting point on the upright is a mesh node (node 11: gmsh
// numbers the geometry's points first; sheet_bracket.inp puts the mass there).
upright[] = Surface In BoundingBox{-e, -e, -e, e, W + e, H + e};
Point(100) = {0, W / 2, 0.04};
Point{100} In Surface{upright[0]};

Physical Surface("SHEET") = Surface{:};
Physical Surface("WASHER1") = Surface In BoundingBox{xh - rw - e, y1 - rw - e, -e, xh + rw + e, y1 + rw + e, e};
Physical Surface("WASHER2") = Surface In BoundingBox{xh - rw - e, y2 - rw - e, -e, xh + rw + e, y2 + rw + e, e};

// Second-order quadrilaterals with midside nodes only, finer at the holes.
Mesh.RecombineAll = 1;
Mesh.ElementOrder = 2;
Mesh.SecondOrderIncomplete = 1;
Mesh.CharacteristicLengthMax = 0.005;
MeshSize{ PointsOf{ Surface{ Surface In BoundingBox{xh - rw - e, 0, -e, xh + rw + e, W, e} }; } } = 0.002;
