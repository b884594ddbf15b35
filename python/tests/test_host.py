"""The Python host over a body written and read back through the library."""

import logging
import math

import numpy as np
import pytest

import qvb


def test_geometry_round_trip(tube):
    with qvb.open(tube.path) as body:
        assert list(body.node_ids) == tube.node_ids
        np.testing.assert_allclose(body.coordinates, tube.coordinates, atol=1e-12)
        np.testing.assert_allclose(body.nodal_masses, tube.masses)
        assert [list(face) for face in body.faces] == tube.faces
        assert body.node_index(tube.node_ids[5]) == 5
        assert sorted(body.interface_node_ids) == tube.interface_nodes
        assert body.header.title == "test tube"


def test_mode_shapes_follow_mode_node_ids(tube):
    with qvb.open(tube.path) as body:
        assert list(body.mode_numbers) == sorted(tube.shapes)
        node_ids = body.mode_node_ids(qvb.SHAPE)
        assert sorted(node_ids) == sorted(tube.node_ids)
        expected = dict(zip(tube.node_ids, tube.shapes[9]))
        translation = body.mode_shape(9)
        rotation = body.mode_shape(9, part=qvb.ROTATION)
        assert translation.shape == rotation.shape == (len(tube.node_ids), 3)
        for node_id, t, r in zip(node_ids, translation, rotation):
            np.testing.assert_allclose(t, expected[int(node_id)][:3], atol=1e-12)
            np.testing.assert_allclose(r, expected[int(node_id)][3:], atol=1e-12)
        # Spread over all nodes in node order, the shape lines up with coordinates.
        np.testing.assert_allclose(body.node_displacements(9), tube.shapes[9][:, :3], atol=1e-12)


def test_eigen_quantities(tube):
    with qvb.open(tube.path) as body:
        table = body.eigen_table
        for number, frequency, eigenvalue, radians, mass, stiffness in zip(
                table.mode_number, table.frequency, table.eigenvalue, table.radians,
                table.generalized_mass, table.generalized_stiffness):
            omega = 2.0 * math.pi * tube.frequencies[int(number)]
            assert frequency == pytest.approx(tube.frequencies[int(number)], abs=1e-9)
            assert radians == pytest.approx(omega, abs=1e-9)
            assert eigenvalue == pytest.approx(omega * omega, rel=1e-9, abs=1e-9)
            assert (mass, stiffness) == pytest.approx((1.0, omega * omega), rel=1e-9, abs=1e-9)
        assert body.rigid_body_mode_count == 6
        with pytest.raises(qvb.QvbError, match="no mode number 99"):
            body.eigen(99)


def test_units_convert_what_is_read(tube):
    with qvb.open(tube.path) as body:
        assert body.si_multipliers == pytest.approx((1.0, 1.0, 1.0, 1.0))
        body.set_units("kg", "mm", "s", "n")
        assert body.si_multipliers.length == pytest.approx(1e-3)
        assert "MILLIMETER" in body.units.length.upper()
        np.testing.assert_allclose(body.coordinates, 1000.0 * tube.coordinates, atol=1e-9)
        body.set_units_si(1000.0, 0.001, 1.0, 1.0)
        assert body.si_multipliers == pytest.approx((1000.0, 0.001, 1.0, 1.0))
        with pytest.raises(qvb.QvbError) as error:
            body.set_units("furlong", "m", "s", "n")
        assert "furlong" in str(error.value)
    assert (qvb.canonical_unit("Kg"), qvb.canonical_unit("g")) == ("KILOGRAM", None)


def test_inertia_invariants_and_layout(tube):
    with qvb.open(tube.path) as body:
        total = tube.masses.sum()
        assert body.invariant(1) == pytest.approx(total)
        mass, _, centre = body.mass_properties
        assert mass == pytest.approx(total)
        np.testing.assert_allclose(centre, tube.masses @ tube.coordinates / total, atol=1e-12)
        np.testing.assert_allclose(body.invariant(2), tube.masses @ tube.coordinates, atol=1e-12)
        # Invariant 3 is component by mode: the x-translation rigid mode (mode
        # index 0) moves all mass along x, the y-translation (index 1) along y.
        invariant3 = body.invariant(3)
        assert invariant3.shape == (3, body.mode_count)
        np.testing.assert_allclose(invariant3[:, 0], [total, 0.0, 0.0], atol=1e-9)
        np.testing.assert_allclose(invariant3[:, 1], [0.0, total, 0.0], atol=1e-9)
        assert body.invariant(6).shape == (body.mode_count, body.mode_count)
        assert body.invariant(7).shape == (3, 3)
        assert body.invariant(8, 7).shape == (3, 3)
        assert body.invariant(9, 7, 8).shape == (3, 3)
        # Repeated reads hand out and take back fresh arrays each time.
        for _ in range(50):
            body.invariant(5, 7)
        with pytest.raises(TypeError):
            body.invariant(9, 7)


def test_failures_are_the_exceptions_python_users_expect(body_backend, tube, tmp_path, caplog):
    with caplog.at_level(logging.INFO, logger="qvb"), pytest.raises(FileNotFoundError) as missing:
        qvb.open(tmp_path / "missing.qvb")
    # The library's own words reach logging and the exception, not just a summary.
    logged = [r.getMessage() for r in caplog.records if r.name == "qvb" and r.levelno == logging.ERROR]
    assert logged and missing.value.messages == logged and logged[0] in str(missing.value)
    assert isinstance(missing.value, qvb.QvbError) and missing.value.filename.endswith("missing.qvb")
    (tmp_path / "notes.txt").write_text("not a body")
    with pytest.raises(qvb.QvbError, match="cannot open"):
        qvb.open(str(tmp_path / "notes.txt"))
    body = qvb.open(tube.path)
    with pytest.raises(ValueError, match="no node 7"):
        body.node_index(7)
    with pytest.raises(ValueError, match="no mode number 99"):
        body.mode_shape(99)
    # A float is not taken for an integer, not even a whole one.
    for call in (lambda: body.mode_shape(7.5), lambda: body.eigen(7.0),
                 lambda: body.node_index(1000.0), lambda: body.add_face([1000.0, 1003.0])):
        with pytest.raises(TypeError):
            call()
    assert body.eigen(np.int64(7)).mode_number == 7
    # A file name the library would silently extend is refused.
    with pytest.raises(ValueError, match="must end in"):
        body.write(tmp_path / "copy.txt")
    assert not list(tmp_path.glob("copy.txt*"))
    with pytest.raises(qvb.QvbError):
        body.write(str(tmp_path / "no-such-folder" / "copy.qvb"))
    body.close()
    with pytest.raises(qvb.QvbError, match="closed"):
        body.node_count
    body.close()  # closing twice is harmless


def test_public_interface_reads_well():
    namespace = {}
    exec("from qvb import *", namespace)
    assert "open" not in namespace, "a star import must not hide the built-in open"
    assert set(qvb.__all__) <= set(namespace)
    import inspect
    from qvb import commands, errors
    undocumented = []
    for module in (qvb, commands, errors):
        for name in module.__all__:
            value = getattr(module, name)
            if callable(value) and not inspect.getdoc(value):
                undocumented.append(f"{module.__name__}.{name}")
    for name, member in vars(qvb.Body).items():
        if not name.startswith("_") and not inspect.getdoc(member):
            undocumented.append(f"Body.{name}")
        function = getattr(member, "fget", member)
        if not name.startswith("_") and callable(function) and \
                "return" not in function.__annotations__:
            undocumented.append(f"Body.{name} (no type hints)")
    assert not undocumented, undocumented
    assert inspect.getdoc(qvb.open) and inspect.getdoc(qvb)


def test_terminate_closes_every_body(tube):
    first, second = qvb.open(tube.path), qvb.open(tube.path)
    qvb.terminate()
    assert not first.is_open and not second.is_open
    with qvb.open(tube.path) as again:  # the backend binds again
        assert again.node_count == len(tube.node_ids)

