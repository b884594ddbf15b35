// The benchmark bar of ccx2qvb_bar.sh: 1 m x 40 mm x 20 mm, x along the axis,
// second-order tetrahedra of size h (set with -setnumber h VALUE), one node
// set per end face.
SetFactory("OpenCASCADE");
DefineConstant[ h = 0.01 ];
Box(1) = {0, 0, 0, 1, 0.04, 0.02};
e = 1e-6;
Physical Surface("END0") = Surface In BoundingBox{-e, -e, -e, e, 0.04 + e, 0.02 + e};
Physical Surface("END1") = Surface In BoundingBox{1 - e, -e, -e, 1 + e, 0.04 + e, 0.02 + e};
Physical Volume("BAR") = {1};
Mesh.ElementOrder = 2;
Mesh.SecondOrderLinear = 1;
Mesh.CharacteristicLengthMax = h;
Mesh.SaveGroupsOfNodes = 1;
