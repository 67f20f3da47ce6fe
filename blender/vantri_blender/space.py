"""The two spaces the add-on converts between, and the host's own transform arithmetic.

A scene file is in the host's space: centimetres, +Y up, left-handed (+X right, +Z away from
the viewer of the front view). Blender is in metres, +Z up, right-handed. A host point
(x, y, z) is the Blender point (0.01 x, 0.01 z, 0.01 y): a scale to metres and a swap of Y
and Z, which is the mirror that turns the one frame into the other. This is the frame that
the run's scene.glb lands in after Blender's own glTF import (glTF mirrors Z, then Blender
turns Y up into Z up), so the two agree.

The swap P is its own inverse, so a host linear map L becomes P L P in Blender. The host
builds an object's axes from heading, pitch and bank as the rotations about Y, X and Z in
turn (see axes_from_rotation); through the mirror each turns the other way about the
swapped axis, which is Blender's rotation mode 'YXZ' with the Euler angles
(pitch, bank, heading). So a heading, pitch or bank maps to one Euler channel unchanged, and
a keyframed rotation track interpolates the same way on both sides.

Pure Python and numpy only: the tests and the result cache use it without Blender.
"""

import math

import numpy as np

METRES_PER_UNIT = 0.01
UNITS_PER_METRE = 100.0


def point_to_blender(p):
    """A host point (cm, Y up) in Blender metres, Z up."""
    return (p[0] * METRES_PER_UNIT, p[2] * METRES_PER_UNIT, p[1] * METRES_PER_UNIT)


def point_from_blender(p):
    """A Blender point (metres, Z up) in host units, Y up."""
    return (p[0] * UNITS_PER_METRE, p[2] * UNITS_PER_METRE, p[1] * UNITS_PER_METRE)


def scale_to_blender(s):
    """An object's scale along its own axes: the host's Y and Z axes are Blender's Z and Y."""
    return (s[0], s[2], s[1])


def hpb_to_euler(hpb):
    """Host heading, pitch, bank (radians) as Blender Euler angles in mode 'YXZ'."""
    return (hpb[1], hpb[2], hpb[0])


def euler_to_hpb(euler):
    """Blender Euler angles of mode 'YXZ' as host heading, pitch, bank."""
    return (euler[2], euler[0], euler[1])


def host_axes(hpb, scale=(1.0, 1.0, 1.0)):
    """The host's axes (3x3, axes as columns) of a rotation scaled per axis."""
    ch, sh = math.cos(hpb[0]), math.sin(hpb[0])
    cp, sp = math.cos(hpb[1]), math.sin(hpb[1])
    cb, sb = math.cos(hpb[2]), math.sin(hpb[2])
    x0 = np.array([ch, 0.0, sh])
    z = np.array([-sh * cp, sp, ch * cp])
    y0 = np.cross(z, x0)
    x = x0 * cb - y0 * sb
    y = x0 * sb + y0 * cb
    return np.column_stack((x * scale[0], y * scale[1], z * scale[2]))


def host_axes_many(hpb):
    """host_axes for an (N, 3) array of rotations: (N, 3, 3), axes as columns, unscaled."""
    h, p, b = hpb[:, 0], hpb[:, 1], hpb[:, 2]
    ch, sh, cp, sp, cb, sb = np.cos(h), np.sin(h), np.cos(p), np.sin(p), np.cos(b), np.sin(b)
    zero = np.zeros_like(h)
    x0 = np.stack((ch, zero, sh), axis=-1)
    z = np.stack((-sh * cp, sp, ch * cp), axis=-1)
    y0 = np.cross(z, x0)
    x = x0 * cb[:, None] - y0 * sb[:, None]
    y = x0 * sb[:, None] + y0 * cb[:, None]
    return np.stack((x, y, z), axis=-1)


# The swap of Y and Z, as a matrix.
SWAP = np.array([[1.0, 0.0, 0.0], [0.0, 0.0, 1.0], [0.0, 1.0, 0.0]])


def host_matrix(position, hpb, scale):
    """The host's 4x4 local matrix of an object (column vectors, offset in the last column)."""
    m = np.identity(4)
    m[:3, :3] = host_axes(hpb, scale)
    m[:3, 3] = position
    return m


def matrix_to_blender(m):
    """A host 4x4 matrix as the Blender matrix of the same placement (as nested lists)."""
    b = np.identity(4)
    b[:3, :3] = SWAP @ m[:3, :3] @ SWAP
    b[:3, 3] = SWAP @ m[:3, 3] * METRES_PER_UNIT
    return b


def matrix_from_blender(b):
    """A Blender 4x4 matrix (anything indexable) as the host's matrix."""
    b = np.array([[b[r][c] for c in range(4)] for r in range(4)], dtype=float)
    m = np.identity(4)
    m[:3, :3] = SWAP @ b[:3, :3] @ SWAP
    m[:3, 3] = SWAP @ b[:3, 3] * UNITS_PER_METRE
    return m


def _heading_of(x, z):
    length = math.sqrt(x * x + z * z)
    s = x / length
    if z > 0.0:
        if s >= 1.0:
            return -math.pi / 2
        if s <= -1.0:
            return math.pi / 2
        return -math.asin(s)
    if s >= 1.0:
        return 3 * math.pi / 2
    if s <= -1.0:
        return math.pi / 2
    return math.asin(s) + math.pi


def rotation_from_axes(axes):
    """The host's heading, pitch, bank of a 3x3 matrix whose columns are the axes."""
    def unit(v):
        length = float(np.linalg.norm(v))
        return v / length if length > 0.0 else v * 0.0
    x, z = unit(axes[:, 0]), unit(axes[:, 2])
    f = math.sqrt(z[0] * z[0] + z[2] * z[2])
    if f < 1e-5:
        k = 0.0 if x[0] >= 1.0 else (math.pi if x[0] <= -1.0 else math.acos(x[0]))
        if z[1] > 0.0:
            return (0.0, math.pi / 2, k if x[2] >= 0.0 else 2 * math.pi - k)
        return (0.0, -math.pi / 2, 2 * math.pi - k if x[2] > 0.0 else k)
    heading = _heading_of(z[0], z[2])
    if heading < 0.0:
        heading += 2 * math.pi
    pitch = math.atan(z[1] / f)
    c = math.cos(heading) * x[0] + math.sin(heading) * x[2]
    bank = 0.0 if c >= 1.0 else (math.pi if c <= -1.0 else math.acos(c))
    if x[1] > 0.0:
        bank = 2 * math.pi - bank
    return (heading, pitch, bank)


def euler_xyz_many(r):
    """Blender Euler angles (mode 'XYZ') of an (N, 3, 3) array of rotation matrices."""
    sy = -np.clip(r[:, 2, 0], -1.0, 1.0)
    ey = np.arcsin(sy)
    ex = np.arctan2(r[:, 2, 1], r[:, 2, 2])
    ez = np.arctan2(r[:, 1, 0], r[:, 0, 0])
    # At a pitch of +-90 degrees X and Z turn about the same axis: put it all in X.
    lock = np.abs(r[:, 2, 0]) > 1.0 - 1e-9
    if np.any(lock):
        ex = np.where(lock, np.arctan2(-r[:, 1, 2], r[:, 1, 1]), ex)
        ez = np.where(lock, 0.0, ez)
    return np.stack((ex, ey, ez), axis=-1)


def track_value(keys, frame):
    """A track's value at `frame`: linear between the keys around it, held before the first
    and after the last (keys: [{"frame": f, "value": [...]}, ...] in frame order)."""
    if frame <= keys[0]["frame"]:
        return list(keys[0]["value"])
    if frame >= keys[-1]["frame"]:
        return list(keys[-1]["value"])
    for before, after in zip(keys, keys[1:]):
        if before["frame"] <= frame <= after["frame"]:
            span = after["frame"] - before["frame"]
            t = 0.0 if span == 0 else (frame - before["frame"]) / span
            return [a + (b - a) * t for a, b in zip(before["value"], after["value"])]
    return list(keys[-1]["value"])


def entry_local_matrix(entry, frame):
    """The host's local matrix of a scene file object at `frame`, its tracks applied."""
    position = entry.get("position", [0.0, 0.0, 0.0])
    rotation = entry.get("rotation", [0.0, 0.0, 0.0])
    track = entry.get("track", {})
    if track.get("position"):
        position = track_value(track["position"], frame)
    if track.get("rotation"):
        rotation = track_value(track["rotation"], frame)
    hpb = [math.radians(a) for a in rotation]
    return host_matrix(position, hpb, entry.get("scale", [1.0, 1.0, 1.0]))


def global_matrices(objects, frame):
    """{name: host global matrix} of every object of a scene file's tree at `frame`."""
    out = {}

    def walk(entries, parent):
        for entry in entries:
            m = parent @ entry_local_matrix(entry, frame)
            out[entry.get("name")] = m
            walk(entry.get("children", []), m)

    walk(objects, np.identity(4))
    return out
