"""The Blender scene as a scene file.

What is written: every object with a Vantri role or brought in from a scene file, the
generators' children (their agents' source objects), the objects their links and lists name,
and the parents of all of these, as the file's tree. Empties become nulls, meshes polygon
objects and curves splines, unless they are a file's cube, sphere, plane, polygon or spline
whose shape the user has not changed: those are written with the file's own keys.

A value the object still holds as imported is written as the file had it, to the last
digit; Blender keeps reals in single precision, so "still holds" means equal within that
precision. So a scene imported and exported without edits plays exactly as the file did.
"""

import json
import math
import os

from . import geometry, properties, space, values
from .scene_import import SCENE_KEYS, animation_fingerprint, file_name, file_order

GEOMETRY_KEYS = ("size", "points", "segments", "closed", "interpolation", "width", "depth",
                 "heights", "radius", "faces")
TRANSFORM_KEYS = ("position", "rotation", "scale")
SHAPE_TYPES = {"cube": "MESH", "sphere": "MESH", "plane": "MESH", "polygon": "MESH",
               "spline": "CURVE", "null": "EMPTY"}
FILE_DEFAULTS = {"fps": 25, "start": 0, "end": 100}


class ExportError(Exception):
    """The scene cannot be written; the message names the object."""


def _stored(obj):
    try:
        return json.loads(obj.get("vantri_entry", "{}"))
    except ValueError:
        return {}


def _number(v):
    return float(f"{v:.9g}")


def _same_list(a, b):
    return len(a) == len(b) and all(values.same_real(x, y) for x, y in zip(a, b))


class _NotWritten:
    """`name in missing`: no object of that name is written."""

    def __init__(self, written):
        self.written = written

    def __contains__(self, name):
        return isinstance(name, str) and name not in self.written


class SceneWriter:
    """Turns the Blender scene's Vantri objects into a scene file's document."""

    def __init__(self, context, descriptions):
        self.scene = context.scene
        self.descriptions = descriptions
        self.objects = self._chosen()
        self.names = {}
        seen = {}
        for obj in self.objects:
            name = self.name_of(obj)
            if name in seen:
                raise ExportError(f"objects '{seen[name].name}' and '{obj.name}' would both be "
                                  f"named '{name}' in the scene file; rename one")
            seen[name] = obj
        self._missing = _NotWritten(set(seen))

    def _chosen(self):
        chosen = set()
        pending = []
        for obj in self.scene.objects:
            if properties.role_of(obj) or "vantri_entry" in obj:
                pending.append(obj)
        while pending:
            obj = pending.pop()
            if obj is None or obj in chosen:
                continue
            chosen.add(obj)
            pending.append(obj.parent)
            role = properties.role_of(obj)
            if role == "generator":
                pending.extend(obj.children)
            if role:
                group = getattr(obj.vantri, role)
                for parameter in self.descriptions.parameters(role):
                    if parameter["type"] == "link":
                        pending.append(getattr(group, parameter["symbol"]))
                    elif parameter["type"] == "in/exclude list":
                        pending.extend(e.object for e in getattr(group, parameter["symbol"]))
        return chosen

    def name_of(self, obj):
        """The object's name in the file: the file's own while Blender's is as imported."""
        if obj in self.names:
            return self.names[obj]
        name = file_name(obj)
        self.names[obj] = name
        return name

    def document(self):
        try:
            stored = json.loads(self.scene.get("vantri_file", "{}"))
        except ValueError:
            stored = {}
        blender = {"fps": int(round(self.scene.render.fps / self.scene.render.fps_base)),
                   "start": self.scene.frame_start, "end": self.scene.frame_end}
        as_imported = list(self.scene.get("vantri_file_frames", []))
        unchanged = as_imported == [blender[k] for k in SCENE_KEYS]
        out = {}
        for key, value in stored.items():
            out[key] = value if key not in SCENE_KEYS or unchanged else blender[key]
        for key in SCENE_KEYS:
            if key not in out and not unchanged and blender[key] != FILE_DEFAULTS[key]:
                out[key] = blender[key]
        top = [o for o in self.objects if o.parent not in self.objects]
        out["objects"] = [self.entry(o) for o in sorted(top, key=file_order)]
        return out

    # -- one object

    def entry(self, obj):
        stored = _stored(obj)
        role = properties.role_of(obj)
        stored_role = self.descriptions.role_of_type(stored.get("type", ""))
        out = {}
        kind, shape = self._type_and_shape(obj, stored, role, stored_role)
        out["type"] = kind
        out["name"] = self.name_of(obj)
        for key, value in stored.items():
            if key not in out and key not in GEOMETRY_KEYS + TRANSFORM_KEYS + ("params", "track"):
                out[key] = value  # comments and anything else the file had
        out.update(self._transform(obj, stored))
        out.update(shape)
        if role:
            params = self._params(obj, role, stored.get("params", {}) if stored_role == role
                                  else {})
            if params:
                out["params"] = params
        track = self._track(obj, stored)
        if track:
            out["track"] = track
        children = [c for c in obj.children if c in self.objects]
        if children:
            out["children"] = [self.entry(c) for c in sorted(children, key=file_order)]
        return out

    def _type_and_shape(self, obj, stored, role, stored_role):
        if role:
            return (stored["type"] if stored_role == role else role), {}
        kind = stored.get("type")
        if (kind in SHAPE_TYPES and SHAPE_TYPES[kind] == obj.type
                and obj.get("vantri_shape", None) == geometry.fingerprint(obj)):
            return kind, {k: stored[k] for k in GEOMETRY_KEYS if k in stored}
        if obj.type == "MESH":
            return "polygon", geometry.mesh_keys(obj)
        if obj.type == "CURVE":
            return "spline", geometry.curve_keys(obj)
        return "null", {}

    def _local(self, obj):
        """(position, rotation in degrees, scale) of the object in its parent, host space."""
        if obj.matrix_parent_inverse == obj.matrix_parent_inverse.Identity(4) and \
                obj.rotation_mode == "YXZ":
            return (space.point_from_blender(obj.location),
                    [math.degrees(a) for a in space.euler_to_hpb(obj.rotation_euler)],
                    space.scale_to_blender(obj.scale))
        m = space.matrix_from_blender(obj.matrix_local)
        axes = m[:3, :3]
        scale = [float(v) for v in (sum(axes[:, i] ** 2) ** 0.5 for i in range(3))]
        return ([float(v) for v in m[:3, 3]],
                [math.degrees(a) for a in space.rotation_from_axes(axes)], scale)

    def _transform(self, obj, stored):
        position, rotation, scale = self._local(obj)
        tracked = bool(stored.get("track")) and \
            obj.get("vantri_track", "") == animation_fingerprint(obj)
        out = {}
        for key, now, default in (("position", position, [0.0, 0.0, 0.0]),
                                  ("rotation", rotation, [0.0, 0.0, 0.0]),
                                  ("scale", scale, [1.0, 1.0, 1.0])):
            was = stored.get(key, default)
            if (tracked and key != "scale") or _same_list(now, was):
                if key in stored:
                    out[key] = stored[key]
            else:
                out[key] = [_number(v) for v in now]
        return out

    def _params(self, obj, role, stored_params):
        group = getattr(obj.vantri, role)
        by_key = {}
        for parameter in self.descriptions.parameters(role):
            by_key[parameter["symbol"]] = parameter
            by_key[str(parameter["id"])] = parameter
        out = {}
        written = set()
        for key, was in stored_params.items():
            parameter = by_key.get(key)
            if parameter is None:
                out[key] = was  # not a parameter the plug-in describes: the command says so
                continue
            written.add(parameter["symbol"])
            now = values.from_blender(group, parameter, self.name_of, self._missing)
            unchanged = values.same_value(parameter, now, values.as_held(parameter, was))
            if parameter["type"] == "link" and now is None:
                # An empty link: the file's name while no object has it (the command says
                # so), else the user cleared it.
                if was in self._missing:
                    out[key] = was
                continue
            out[key] = was if unchanged else now
        for parameter in self.descriptions.parameters(role):
            if parameter["symbol"] in written:
                continue
            now = values.from_blender(group, parameter, self.name_of, self._missing)
            if not values.same_value(parameter, now, values.default_value(parameter)):
                out[parameter["symbol"]] = now
        return out

    def _track(self, obj, stored):
        if obj.get("vantri_track", "") == animation_fingerprint(obj):
            return stored.get("track")
        action = obj.animation_data.action if obj.animation_data else None
        if action is None:
            return None
        track = {}
        for path, key, convert in (
                ("location", "position", space.point_from_blender),
                ("rotation_euler", "rotation",
                 lambda e: [math.degrees(a) for a in space.euler_to_hpb(e)])):
            curves = [action.fcurves.find(path, index=i) for i in range(3)]
            if not any(curves):
                continue
            frames = sorted({p.co[0] for c in curves if c for p in c.keyframe_points})
            default = getattr(obj, path)
            keys = []
            for frame in frames:
                value = [c.evaluate(frame) if c else default[i] for i, c in enumerate(curves)]
                keys.append({"frame": _number(frame), "value": [_number(v) for v in
                                                                  convert(value)]})
            track[key] = keys
        return track or None


def export_scene(context, filepath, descriptions):
    """Writes the scene file (whole, or not at all) and returns its content."""
    document = SceneWriter(context, descriptions).document()
    folder = os.path.dirname(os.path.abspath(filepath))
    os.makedirs(folder, exist_ok=True)
    partial = filepath + ".part"
    try:
        with open(partial, "w", encoding="utf-8") as f:
            json.dump(document, f, indent=1)
            f.write("\n")
        os.replace(partial, filepath)
    except OSError as error:
        if os.path.exists(partial):
            os.remove(partial)
        raise ExportError(f"{filepath}: cannot be written: {error.strerror}") from error
    return document
