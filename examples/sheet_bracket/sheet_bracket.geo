// A sheet-metal angle bracket in steel, SI units: 2 mm shells, a base flange
// with two bolt holes, a bend of 4 mm mid-surface radius and an upright
// flange that carries a unit (a point mass at its mounting point). The mesh
// is gmsh's, written with
//   gmsh sheet_bracket.geo -2 -format inp -o sheet_gmsh.inp
// as second-order quadrilaterals and a few triangles, which gmsh names CPS8
// and CPS6 (run.sh renames them the shells S8R and S6), in the element set
// SHEET; the rings the bolts' washers clamp are the element sets WASHER1 and
// WASHER2 (the interfaces).
SetFactory("OpenCASCADE");
L = 0.08;    // base length (x)
W = 0.05;    // width (y)
H = 0.06;    // upright height (z)
rb = 0.004;  // bend radius of the mid-surface
r = 0.0045;  // bolt hole radius (M8 clearance)
rw = 0.008;  // washer radius
xh = 0.055;  // hole centres at (xh, y1) and (xh, y2)
y1 = 0.014;
y2 = 0.036;

// The mid-surface: the profile in the plane y = 0 (base in z = 0, bend,
// upright in x = 0) swept across the width, and the washer rings.
Point(1) = {L, 0, 0};
Point(2) = {rb, 0, 0};
Point(3) = {rb, 0, rb};
Point(4) = {0, 0, rb};
Point(5) = {0, 0, H};
Line(1) = {1, 2};
Circle(2) = {2, 3, 4};
Line(3) = {4, 5};
Extrude {0, W, 0} { Curve{1, 2, 3}; }
Disk(10) = {xh, y1, 0, rw};
Disk(11) = {xh, y2, 0, rw};
Disk(12) = {xh, y1, 0, r};
Disk(13) = {xh, y2, 0, r};
BooleanFragments{ Surface{1, 2, 3}; Delete; }{ Surface{10, 11, 12, 13}; Delete; }
e = 1e-5;
Recursive Delete { Surface{ Surface In BoundingBox{xh - r - e, y1 - r - e, -e, xh + r + e, y1 + r + e, e} }; }
Recursive Delete { Surface{ Surface In BoundingBox{xh - r - e, y2 - r - e, -e, xh + r + e, y2 + r + e, e} }; }

// The unit's mounting point on the upright is a mesh node (node 13: gmsh
// numbers the geometry's points first; sheet_bracket.inp puts the mass there).
upright[] = Surface In BoundingBox{-e, -e, rb - e, e, W + e, H + e};
Point(100) = {0, W / 2, 0.04};
Point{100} In Surface{upright[0]};

Physical Surface("SHEET") = Surface{:};
Physical Surface("WASHER1") = Surface In BoundingBox{xh - rw - e, y1 - rw - e, -e, xh + rw + e, y1 + rw + e, e};
Physical Surface("WASHER2") = Surface In BoundingBox{xh - rw - e, y2 - rw - e, -e, xh + rw + e, y2 + rw + e, e};

// The bend: 12 elements around it, so that the element normals at a node
// agree to a fraction of a degree (the solver averages them into one).
bend[] = Surface In BoundingBox{-e, -e, -e, rb + e, W + e, rb + e};
Transfinite Curve{Curve In BoundingBox{-e, -e, -e, rb + e, e, rb + e},
                  Curve In BoundingBox{-e, W - e, -e, rb + e, W + e, rb + e}} = 13;
Transfinite Curve{Curve In BoundingBox{rb - e, -e, -e, rb + e, W + e, e},
                  Curve In BoundingBox{-e, -e, rb - e, e, W + e, rb + e}} = 21;
Transfinite Surface{bend[0]};

// Second-order quadrilaterals with midside nodes only, finer at the holes.
Mesh.RecombineAll = 1;
Mesh.ElementOrder = 2;
Mesh.SecondOrderIncomplete = 1;
Mesh.CharacteristicLengthMax = 0.005;
MeshSize{ PointsOf{ Surface{ Surface In BoundingBox{xh - rw - e, 0, -e, xh + rw + e, W, e} }; } } = 0.002;
