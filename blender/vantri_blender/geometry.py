"""Shapes between a scene file and Blender: cubes, spheres, planes and polygon objects as
meshes, splines as curves, and the fingerprints that tell whether the user changed one."""

import hashlib

import bmesh
import numpy as np

from . import space

DEFAULT_CUBE_SIZE = [200.0, 200.0, 200.0]


def _mesh_from(name, points, faces):
    """A mesh from host points and faces (counter-clockwise seen from the front in the host's
    frame): the points converted, each face's corners reversed for the mirror."""
    import bpy
    mesh = bpy.data.meshes.new(name)
    verts = [space.point_to_blender(p) for p in points]
    mesh.from_pydata(verts, [], [list(reversed(f)) for f in faces])
    mesh.update()
    return mesh


def cube_mesh(name, entry):
    import bpy
    size = entry.get("size", DEFAULT_CUBE_SIZE)
    mesh = bpy.data.meshes.new(name)
    bm = bmesh.new()
    bmesh.ops.create_cube(bm, size=1.0)
    scale = [s * space.METRES_PER_UNIT for s in space.scale_to_blender(size)]
    for v in bm.verts:
        v.co.x *= scale[0]
        v.co.y *= scale[1]
        v.co.z *= scale[2]
    bm.to_mesh(mesh)
    bm.free()
    return mesh


def sphere_mesh(name, entry):
    import bpy
    radius = entry.get("radius", 100.0) * space.METRES_PER_UNIT
    segments = int(entry.get("segments", 24))
    mesh = bpy.data.meshes.new(name)
    bm = bmesh.new()
    bmesh.ops.create_uvsphere(bm, u_segments=max(3, segments), v_segments=max(2, segments // 2),
                              radius=radius)
    for f in bm.faces:
        f.smooth = True
    bm.to_mesh(mesh)
    bm.free()
    return mesh


def plane_mesh(name, entry):
    """The grid of a plane: rows of points from -Z to +Z, each from -X to +X at its height,
    every cell two triangles split from its -X-Z corner to its +X+Z corner."""
    width, depth = entry.get("width", 400.0), entry.get("depth", 400.0)
    nx, nz = entry.get("segments", [1, 1])
    heights = entry.get("heights")
    points = []
    for j in range(nz + 1):
        z = -depth / 2 + depth * j / nz
        for i in range(nx + 1):
            x = -width / 2 + width * i / nx
            points.append((x, heights[j][i] if heights else 0.0, z))
    faces = []
    for j in range(nz):
        for i in range(nx):
            a, b = j * (nx + 1) + i, j * (nx + 1) + i + 1
            c, d = (j + 1) * (nx + 1) + i + 1, (j + 1) * (nx + 1) + i
            # Seen from +Y in the host these run clockwise; reversed by _mesh_from.
            faces.append((a, c, b))
            faces.append((a, d, c))
    return _mesh_from(name, points, faces)


def polygon_mesh(name, entry):
    return _mesh_from(name, entry.get("points", []), entry.get("faces", []))


MESH_MAKERS = {"cube": cube_mesh, "sphere": sphere_mesh, "plane": plane_mesh,
               "polygon": polygon_mesh}


def spline_curve(name, entry):
    import bpy
    curve = bpy.data.curves.new(name, type="CURVE")
    curve.dimensions = "3D"
    segments = entry.get("segments") or [entry.get("points", [])]
    cubic = entry.get("interpolation", "cubic") == "cubic"
    for points in segments:
        converted = [space.point_to_blender(p) for p in points]
        if cubic:
            spline = curve.splines.new("BEZIER")
            spline.bezier_points.add(len(converted) - 1)
            for point, co in zip(spline.bezier_points, converted):
                point.co = co
                point.handle_left_type = point.handle_right_type = "AUTO"
        else:
            spline = curve.splines.new("POLY")
            spline.points.add(len(converted) - 1)
            for point, co in zip(spline.points, converted):
                point.co = (co[0], co[1], co[2], 1.0)
        spline.use_cyclic_u = bool(entry.get("closed", False))
    return curve


def _digest(*arrays):
    h = hashlib.sha1()
    for a in arrays:
        h.update(np.ascontiguousarray(a).tobytes())
    return h.hexdigest()


def fingerprint(obj):
    """A digest of an object's own shape (its mesh or curve data); "" for other objects."""
    data = obj.data
    if obj.type == "MESH":
        co = np.empty(len(data.vertices) * 3, dtype=np.float32)
        data.vertices.foreach_get("co", co)
        loops = np.empty(len(data.loops), dtype=np.int32)
        data.loops.foreach_get("vertex_index", loops)
        sizes = np.empty(len(data.polygons), dtype=np.int32)
        data.polygons.foreach_get("loop_total", sizes)
        return _digest(co, loops, sizes)
    if obj.type == "CURVE":
        parts = []
        for spline in data.splines:
            points = spline.bezier_points if spline.type == "BEZIER" else spline.points
            co = np.empty(len(points) * (3 if spline.type == "BEZIER" else 4), dtype=np.float32)
            points.foreach_get("co", co)
            parts += [co, np.array([len(spline.type), spline.use_cyclic_u], dtype=np.int32)]
        return _digest(*parts)
    return ""


def mesh_keys(obj):
    """A mesh as a polygon object's points and faces (triangles and quads; larger faces are
    split into a fan of triangles), in the host's space."""
    mesh = obj.data
    points = [list(map(lambda v: float(f"{v:.9g}"), space.point_from_blender(v.co)))
              for v in mesh.vertices]
    faces = []
    for polygon in mesh.polygons:
        corners = list(reversed(polygon.vertices))
        if len(corners) <= 4:
            faces.append(corners)
        else:
            faces += [[corners[0], corners[k], corners[k + 1]] for k in range(1, len(corners) - 1)]
    return {"points": points, "faces": faces}


def curve_keys(obj):
    """A curve as a spline object's keys: its control points (Bezier splines give a smooth
    curve through their points, the others straight lines between theirs)."""
    segments = []
    cubic = False
    closed = False
    for spline in obj.data.splines:
        if spline.type == "BEZIER":
            cubic = True
            points = [p.co for p in spline.bezier_points]
        else:
            points = [p.co.xyz for p in spline.points]
        if len(points) >= 2:
            segments.append([[float(f"{v:.9g}") for v in space.point_from_blender(p)]
                             for p in points])
        closed = closed or spline.use_cyclic_u
    keys = {"interpolation": "cubic" if cubic else "linear", "closed": closed}
    if len(segments) == 1:
        keys["points"] = segments[0]
    else:
        keys["segments"] = segments
    return keys
