"""A scene file into Blender: its objects, roles, parameters, shapes and tracks, and its
frames per second and frame range on the Blender scene.

Every object keeps what it was made from: `vantri_entry` (the file's object without its
children, as JSON), `vantri_name` (the name Blender gave it, to tell a rename),
`vantri_order` (its place in the file) and `vantri_shape` / `vantri_track` (fingerprints
of its shape and animation as imported). The export writes the file's own values back
where the Blender object still holds them, so an unchanged scene plays the same.
"""

import json
import math
import os

import bpy

from . import display, geometry, properties, space, values

ROLE_DISPLAY = {"world": "SPHERE", "generator": "CUBE", "behaviour": "SINGLE_ARROW",
                "blend": "CONE", "obstacle": "SPHERE"}

# Keys of the file's top level that the Blender scene shows; the rest are kept as they are.
SCENE_KEYS = ("fps", "start", "end")


class SceneFileError(Exception):
    """A scene file that cannot be brought in; the message names the file and the place."""


def _object_data(entry, name, descriptions):
    kind = entry.get("type", "null")
    if kind in geometry.MESH_MAKERS:
        return geometry.MESH_MAKERS[kind](name, entry)
    if kind == "spline":
        return geometry.spline_curve(name, entry)
    return None


def _apply_transform(obj, entry):
    obj.rotation_mode = "YXZ"
    obj.location = space.point_to_blender(entry.get("position", [0.0, 0.0, 0.0]))
    obj.rotation_euler = space.hpb_to_euler([math.radians(a) for a in
                                             entry.get("rotation", [0.0, 0.0, 0.0])])
    obj.scale = space.scale_to_blender(entry.get("scale", [1.0, 1.0, 1.0]))


def _apply_track(obj, entry):
    track = entry.get("track") or {}
    if not (track.get("position") or track.get("rotation")):
        return
    action = bpy.data.actions.new(obj.name + " track")
    obj.animation_data_create().action = action
    channels = []
    for key in track.get("position") or []:
        channels.append(("location", key["frame"], space.point_to_blender(key["value"])))
    for key in track.get("rotation") or []:
        channels.append(("rotation_euler", key["frame"],
                         space.hpb_to_euler([math.radians(a) for a in key["value"]])))
    curves = {}
    for path, frame, value in channels:
        for index in range(3):
            curve = curves.get((path, index))
            if curve is None:
                curve = curves[(path, index)] = action.fcurves.new(path, index=index)
            point = curve.keyframe_points.insert(frame, value[index], options={"FAST"})
            point.interpolation = "LINEAR"
    for curve in curves.values():
        curve.update()


def file_name(obj):
    """The object's name in the scene file: the file's own while Blender's name is still the
    one it was given at import (Blender renames an object whose name is taken), else
    Blender's."""
    stored = obj.get("vantri_entry")
    if stored and obj.get("vantri_name") == obj.name:
        try:
            return json.loads(stored).get("name") or obj.name
        except ValueError:
            pass
    return obj.name


def file_order(obj):
    """Where an object goes among its siblings in the scene file: in the file's order when it
    came from one, else after those, by name."""
    return (0, obj["vantri_order"], obj.name) if "vantri_order" in obj else (1, 0, obj.name)


def animation_fingerprint(obj):
    """A digest of an object's location and rotation keys; "" when it has none."""
    action = obj.animation_data.action if obj.animation_data else None
    if action is None:
        return ""
    parts = []
    for curve in sorted(action.fcurves, key=lambda c: (c.data_path, c.array_index)):
        if curve.data_path not in ("location", "rotation_euler"):
            continue
        parts.append(f"{curve.data_path}[{curve.array_index}]")
        for point in curve.keyframe_points:
            parts.append(f"{point.co[0]:.9g},{point.co[1]:.9g},{point.interpolation}")
    return "|".join(parts)


def _walk(entries, parent_path="objects"):
    for index, entry in enumerate(entries):
        path = f"{parent_path}[{index}]"
        yield entry, path
        yield from _walk(entry.get("children", []), path + ".children")


def import_scene(context, filepath, descriptions):
    """Builds the scene file's objects in a new collection named after the file; returns
    (collection, warnings)."""
    try:
        with open(filepath, encoding="utf-8") as f:
            data = json.load(f)
    except OSError as error:
        raise SceneFileError(f"{filepath}: cannot be read: {error.strerror}") from error
    except ValueError as error:
        raise SceneFileError(f"{filepath}: not valid JSON: {error}") from error
    if not isinstance(data, dict) or not isinstance(data.get("objects", []), list):
        raise SceneFileError(f"{filepath}: expected an object with a list of \"objects\"")
    for entry, path in _walk(data.get("objects", [])):
        if not isinstance(entry, dict) or not isinstance(entry.get("name"), str):
            raise SceneFileError(f"{filepath}: {path}: an object needs a \"name\"")

    scene = context.scene
    scene.render.fps = int(data.get("fps", 25))
    scene.render.fps_base = 1.0
    scene.frame_start = int(data.get("start", 0))
    scene.frame_end = int(data.get("end", 100))
    scene["vantri_file"] = json.dumps({k: v for k, v in data.items() if k != "objects"})
    # What Blender made of them (it has no frames before 0): while the scene still holds
    # these, the export writes the file's own.
    scene["vantri_file_frames"] = [scene.render.fps, scene.frame_start, scene.frame_end]
    scene["vantri_file_path"] = os.path.abspath(filepath)

    collection = bpy.data.collections.new(os.path.splitext(os.path.basename(filepath))[0])
    scene.collection.children.link(collection)

    made = []  # (entry, object) in file order
    by_name = {}
    order = [0]

    def build(entries, parent):
        for entry in entries:
            name = entry["name"]
            obj = bpy.data.objects.new(name, _object_data(entry, name, descriptions))
            collection.objects.link(obj)
            role = descriptions.role_of_type(entry.get("type", ""))
            if obj.data is None:
                obj.empty_display_type = ROLE_DISPLAY.get(role, "PLAIN_AXES")
                obj.empty_display_size = 0.5 if role else 0.25
            if role:
                obj.vantri.role = role
            if parent is not None:
                obj.parent = parent
            _apply_transform(obj, entry)
            _apply_track(obj, entry)
            stored = {k: v for k, v in entry.items() if k != "children"}
            obj["vantri_entry"] = json.dumps(stored)
            obj["vantri_name"] = obj.name
            obj["vantri_order"] = order[0]
            order[0] += 1
            made.append((entry, obj))
            by_name[name] = obj
            build(entry.get("children", []), obj)

    build(data.get("objects", []), None)

    warnings = []
    for entry, obj in made:
        role = properties.role_of(obj)
        params = entry.get("params") or {}
        if not role or not isinstance(params, dict):
            continue
        group = getattr(obj.vantri, role)
        by_key = {}
        for parameter in descriptions.parameters(role):
            by_key[parameter["symbol"]] = parameter
            by_key[str(parameter["id"])] = parameter
        for key, value in params.items():
            parameter = by_key.get(key)
            if parameter is None:
                warnings.append(f"object '{entry['name']}': {key} is not a parameter of "
                                f"{role}s; kept for the export")
                continue
            problem = values.to_blender(group, parameter, value, by_name)
            if problem:
                warnings.append(f"object '{entry['name']}': {problem}")
    for entry, obj in made:
        display.show_obstacle(obj)
        obj["vantri_shape"] = geometry.fingerprint(obj)
        obj["vantri_track"] = animation_fingerprint(obj)
    return collection, warnings
