// An angle bracket in steel, SI units: a 6 mm base plate with two bolt holes
// and a 6 mm upright leg. Mesh it with
//   gmsh bracket.geo -3 -format inp -o bracket_mesh.inp
// to get second-order tetrahedra (C3D10) in the element set BRACKET and the
// bolt hole walls' triangles (CPS6, which ccx2qvb skips: no section names
// them) in the element sets HOLE1 and HOLE2, the interfaces.
SetFactory("OpenCASCADE");
t = 0.006;   // plate thickness
L = 0.08;    // base length (x)
W = 0.05;    // width (y)
H = 0.06;    // upright height (z)
r = 0.0045;  // bolt hole radius (M8 clearance)
xh = 0.055;  // hole centres at (xh, y1) and (xh, y2)
y1 = 0.014;
y2 = 0.036;

Box(1) = {0, 0, 0, L, W, t};
Box(2) = {0, 0, 0, t, W, H};
Cylinder(3) = {xh, y1, -0.001, 0, 0, t + 0.002, r};
Cylinder(4) = {xh, y2, -0.001, 0, 0, t + 0.002, r};
BooleanDifference(5) = { Volume{1}; Delete; }{ Volume{3, 4}; Delete; };
BooleanUnion(6) = { Volume{5}; Delete; }{ Volume{2}; Delete; };

// The hole walls are the only faces inside these boxes.
e = 1e-4;
hole1[] = Surface In BoundingBox{xh - r - e, y1 - r - e, -e, xh + r + e, y1 + r + e, t + e};
hole2[] = Surface In BoundingBox{xh - r - e, y2 - r - e, -e, xh + r + e, y2 + r + e, t + e};
Physical Surface("HOLE1") = hole1[];
Physical Surface("HOLE2") = hole2[];
Physical Volume("BRACKET") = {6};

Mesh.ElementOrder = 2;
// Straight element edges: every midside node sits at its edge's midpoint.
Mesh.SecondOrderLinear = 1;
Mesh.CharacteristicLengthMax = 0.007;
// Finer at the holes, so that they stay round.
MeshSize{ PointsOf{ Surface{hole1[], hole2[]}; } } = 0.0025;
