"""The Python host over a body written and read back through the library."""

import logging
import warnings
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


def test_failures_are_the_exceptions_python_users_expect(body_backend, tube, tmp_path):
    with pytest.raises(FileNotFoundError) as missing:
        qvb.open(tmp_path / "missing.qvb")
    assert isinstance(missing.value, qvb.QvbError) and missing.value.filename.endswith("missing.qvb")
    (tmp_path / "notes.txt").write_text("not a body")
    with pytest.raises(ValueError, match=r"body file \(\.qvb\) or a body database"):
        qvb.open(str(tmp_path / "notes.txt"))
    (tmp_path / "folder.qvb").mkdir()
    with pytest.raises(IsADirectoryError, match="is a folder"):
        qvb.open(tmp_path / "folder.qvb")
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
    with pytest.raises(FileNotFoundError, match="no such folder"):
        body.write(str(tmp_path / "no-such-folder" / "copy.qvb"))
    # The library would write "fleet.master::a.b" as a body file named after all of it.
    with pytest.raises(ValueError, match="cannot hold"):
        body.write(str(tmp_path / "fleet.master::a.b"))
    assert not list(tmp_path.glob("fleet*"))
    # Units: a name the table does not hold for its quantity, with the names it does.
    for units, wrong in ((("t", "m", "s", "n"), "'t' is not a unit of mass"),
                         (("kg", "kg", "s", "n"), "'kg' is not a unit of length")):
        with pytest.raises(ValueError, match=wrong) as refused:
            body.set_units(*units)
        assert "tonne" in str(refused.value) or "mm" in str(refused.value)
    body.close()
    with pytest.raises(qvb.QvbError, match="closed"):
        body.node_count
    body.close()  # closing twice is harmless


def test_result_kinds_and_parts_are_not_mixed_up(tube):
    with qvb.open(tube.path) as body:
        shape = body.mode_shape(7)
        # ROTATION == STRESS == 1: given as the kind it once returned stresses.
        with pytest.raises(TypeError, match="ResultKind"):
            body.mode_shape(7, qvb.ROTATION)
        with pytest.raises(TypeError, match="ResultPart"):
            body.mode_shape(7, part=qvb.STRESS)
        with pytest.raises(TypeError):
            body.mode_node_ids(qvb.TRANSLATION)
        for wrong in (dict(kind=5), dict(part=2), dict(kind=-1)):
            with pytest.raises(ValueError, match="must be one of"):
                body.mode_shape(7, **wrong)
        # Plain integers keep working.
        np.testing.assert_array_equal(body.mode_shape(7, 0, 0), shape)
        np.testing.assert_array_equal(body.mode_shape(7, part=1), body.mode_shape(7, part=qvb.ROTATION))


def test_setters_refuse_nodes_the_body_does_not_have(body_backend):
    with qvb.create(2, 1) as body:
        body.set_node(1, (0.0, 0.0, 0.0))
        body.set_node(2, (1.0, 0.0, 0.0))
        with pytest.raises(ValueError, match="no node 3"):
            body.set_mode(7, 3, [1.0] * 6)
        with pytest.raises(ValueError, match="no node 9"):
            body.add_face([1, 2, 9])
        with pytest.raises(TypeError):
            body.set_mode(7, 1, [1.0] * 6, kind=qvb.ROTATION)
        body.add_face([1, 2])
        body.set_mode(7, 2, [1.0] * 6)
        assert len(body.faces) == 1


def test_library_messages_reach_python_channels_once(body_backend, tube, tmp_path, capfd):
    """An error that becomes an exception is carried by it alone; warnings go
    through ``warnings``; nothing reaches stderr unless a script asks."""
    body = qvb.open(tube.path)
    with pytest.raises(qvb.QvbError) as failed:
        qvb.open(f"{tube.path}::3")
    assert failed.value.messages and failed.value.messages[0] in str(failed.value)
    assert capfd.readouterr().err == ""
    assert any(isinstance(h, logging.NullHandler) for h in logging.getLogger("qvb").handlers)
    # A warning of the library (a write that leaves the body as it was).
    with pytest.warns(qvb.QvbWarning):
        qvb._messages._on_message(b"WARNING: test warning", 1)
    with warnings.catch_warnings():
        warnings.simplefilter("error", qvb.QvbWarning)
        with pytest.raises(qvb.QvbWarning, match="inside a call"):
            with qvb._messages.capture():
                qvb._messages._on_message(b"inside a call", 1)
    body.close()
    assert capfd.readouterr().err == ""


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

