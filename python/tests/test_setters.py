"""Every setter of the Python host, checked through the C getters, then again
after the body was written and read back: a setter that hands the library the
wrong number or order of values shows here rather than in a solver."""

import numpy as np
import pytest

import qvb

MODES = {7: (2.0, 900.0), 8: (3.0, 4000.0)}


def _fill(body):
    body.set_units("kg", "mm", "s", "n")
    body.set_header(title="round trip", text2="second", file_type="PYTEST", comment1="c1",
                    comment2="c2", comment3="c3")
    for node_id, xyz, mass in ((30, (1.0, 2.0, 3.0), 1.5), (10, (4.0, 5.0, 6.0), None),
                               (20, (7.0, 8.0, 9.5), 3.5)):
        body.set_node(node_id, xyz, mass=mass)
    body.set_nodal_mass(10, 2.5)
    body.set_interface_node(20)
    body.add_face([30, 10, 20])
    body.add_face(np.array([20, 30], dtype=np.int64))
    for mode, (mass, stiffness) in MODES.items():
        for node_id in (30, 10, 20):
            for kind in (qvb.SHAPE, qvb.STRESS, qvb.STRAIN):
                body.set_mode(mode, node_id, _six(mode, node_id, kind), kind=kind)
        body.set_generalized(mode, mass, stiffness)
    body.set_global_mass(7.5, np.arange(1.0, 10.0).reshape(3, 3), [0.1, 0.2, 0.3])
    body.set_invariant1(7.5)
    body.set_invariant2([0.75, 1.5, 2.25])
    body.set_invariant7([1.0, 2.0, 3.0, 0.4, 0.5, 0.6])   # xx yy zz xy xz yz


def _six(mode, node_id, kind):
    return [mode + node_id / 100.0 + kind / 10.0 + k / 1000.0 for k in range(6)]


def _check(body):
    assert tuple(body.units) == ("KILOGRAM", "MILLIMETER", "SECOND", "NEWTON")
    header = body.header
    assert (header.title, header.file_type, header.comment1, header.comment2, header.comment3) \
        == ("round trip", "PYTEST", "c1", "c2", "c3")
    assert header.text2 == "second"
    assert list(body.node_ids) == [30, 10, 20]
    np.testing.assert_array_equal(body.coordinates, [[1, 2, 3], [4, 5, 6], [7, 8, 9.5]])
    np.testing.assert_array_equal(body.nodal_masses, [1.5, 2.5, 3.5])
    assert list(body.interface_node_ids) == [20]
    # Faces come back as the node IDs they were given, so they copy as they are.
    assert [list(face) for face in body.faces] == [[30, 10, 20], [20, 30]]
    assert [list(f) for f in body.face_node_indices()] == [[0, 1, 2], [2, 0]]
    for mode, (mass, stiffness) in MODES.items():
        for kind in (qvb.SHAPE, qvb.STRESS, qvb.STRAIN):
            ids = body.mode_node_ids(kind)
            expected = np.array([_six(mode, int(i), kind) for i in ids])
            np.testing.assert_allclose(body.mode_shape(mode, kind, qvb.TRANSLATION),
                                       expected[:, :3], rtol=1e-12)
            np.testing.assert_allclose(body.mode_shape(mode, kind, qvb.ROTATION),
                                       expected[:, 3:], rtol=1e-12)
        eigen = body.eigen(mode)
        assert (eigen.generalized_mass, eigen.generalized_stiffness) == (mass, stiffness)
    mass, inertia, centre = body.mass_properties
    assert mass == 7.5
    np.testing.assert_array_equal(inertia, np.arange(1.0, 10.0).reshape(3, 3))
    np.testing.assert_array_equal(centre, [0.1, 0.2, 0.3])
    assert body.invariant(1) == 7.5
    np.testing.assert_array_equal(body.invariant(2), [0.75, 1.5, 2.25])
    np.testing.assert_array_equal(body.invariant(7), [[1.0, 0.4, 0.5], [0.4, 2.0, 0.6],
                                                      [0.5, 0.6, 3.0]])


def test_every_setter_round_trips_through_the_library_and_a_file(body_backend, tmp_path):
    with qvb.create() as body:
        _fill(body)
        _check(body)
        body.write(tmp_path / "round.qvb")
    with qvb.open(tmp_path / "round.qvb") as copy:
        _check(copy)
        # The faces read are what add_face takes: a copy gets the same faces.
        with qvb.create() as other:
            for node_id, xyz in zip(copy.node_ids, copy.coordinates):
                other.set_node(node_id, xyz)
            for face in copy.faces:
                other.add_face(face)
            assert [list(f) for f in other.faces] == [list(f) for f in copy.faces]
        copy.set_units_si(1000.0, 0.01, 60.0, 4.0)
        assert copy.si_multipliers == pytest.approx((1000.0, 0.01, 60.0, 4.0))
        # The tensor itself is accepted too, when symmetric.
        copy.set_invariant7(np.diag([4.0, 5.0, 6.0]))
        np.testing.assert_allclose(copy.invariant(7), np.diag([4.0, 5.0, 6.0]), rtol=1e-12)
        with pytest.raises(ValueError):
            copy.set_invariant7(np.arange(9.0).reshape(3, 3))
        with pytest.raises(ValueError):
            copy.set_invariant7(np.arange(9.0))
