"""Simulate from Blender, then look at what Blender shows: at three frames, the world
position of every instance in "Vantri result" is an agent's place in agents.csv (one
instance per agent, within 1e-4 m), its rotation is the agent's in scene.glb (the run's
other, separately checked, account of the same motion), the instances are of the
generator's source objects, and the scene's frame rate and range are the file's."""

import csv
import json
import os
import struct
import subprocess

import bpy
import numpy as np

import support
from vantri_blender import results, simulation

TOLERANCE = 1e-4  # metres


def agents_at(csv_path, frame):
    """{generator: [(x, y, z) in Blender metres]} of agents.csv at one frame."""
    out = {}
    with open(csv_path, newline="") as f:
        for row in csv.DictReader(f):
            if int(row["frame"]) == frame:
                x, y, z = (float(row[k]) for k in ("x", "y", "z"))
                out.setdefault(row["generator"], []).append((x / 100, z / 100, y / 100))
    return out


def glb_rotations(glb_path, start):
    """{(generator, agent): (frames, 4) quaternions (w, x, y, z) in Blender's frame} of
    scene.glb; glTF's (x, y, z) is Blender's (x, -z, y), as Blender's glTF import has it."""
    with open(glb_path, "rb") as f:
        data = f.read()
    length = struct.unpack_from("<I", data, 12)[0]
    gltf = json.loads(data[20:20 + length])
    binary = data[20 + length + 8:]
    out = {}
    animation = gltf["animations"][0]
    for channel in animation["channels"]:
        node = gltf["nodes"][channel["target"]["node"]]
        extras = node.get("extras", {})
        if channel["target"]["path"] != "rotation" or "agent" not in extras:
            continue
        accessor = gltf["accessors"][animation["samplers"][channel["sampler"]]["output"]]
        view = gltf["bufferViews"][accessor["bufferView"]]
        offset = view.get("byteOffset", 0) + accessor.get("byteOffset", 0)
        q = np.frombuffer(binary, np.float32, accessor["count"] * 4, offset).reshape(-1, 4)
        out[(extras["generator"], extras["agent"])] = np.stack(
            (q[:, 3], q[:, 0], -q[:, 2], q[:, 1]), axis=-1)
    return out


def instances_at(frame):
    """{source object name: [(x, y, z)]} of the instances the result's objects make."""
    bpy.context.scene.frame_set(frame)
    depsgraph = bpy.context.evaluated_depsgraph_get()
    carriers = {o.name for o in bpy.data.collections[results.RESULT].objects}
    out = {}
    for instance in depsgraph.object_instances:
        if instance.is_instance and instance.parent and instance.parent.name in carriers:
            owner = instance.parent.original["vantri_generator"]
            out.setdefault(owner, []).append(tuple(instance.matrix_world.translation))
            sources.add(instance.object.original.name)
            turns.setdefault(owner, []).append(instance.matrix_world.to_quaternion())
            scales.append(instance.matrix_world.to_3x3().determinant())
    return out


def matched(expected, shown):
    """Whether each shown point pairs with its own expected point within the tolerance."""
    if len(expected) != len(shown):
        return False
    a = np.array(sorted(expected))
    b = np.array(sorted(shown))
    # Sorting pairs points up unless two agents are closer than the tolerance on x.
    if np.all(np.abs(a - b) <= TOLERANCE):
        return True
    left = list(map(tuple, b))
    for p in a:
        d = [max(abs(p[i] - q[i]) for i in range(3)) for q in left]
        k = int(np.argmin(d))
        if d[k] > TOLERANCE:
            return False
        left.pop(k)
    return True


support.start()
for example in ("target.json", "flock.json", "terrain.json", "obstacles.json"):
    path = os.path.join(support.SOURCE, "examples", example)
    with open(path) as f:
        file = json.load(f)
    support.empty_scene()
    bpy.ops.vantri.import_scene(filepath=path)
    scene = bpy.context.scene
    scene.frame_set(scene.frame_start)
    bpy.ops.vantri.simulate()
    run = os.path.join(simulation.base_folder(), "run")
    glb = os.path.join(support.temporary_folder(), "glb")
    subprocess.run([support.VANTRI, "run", os.path.join(simulation.base_folder(), "scene.json"),
                    "--out", glb, "--outputs", "glb", "--quiet"], check=True)
    quaternions = glb_rotations(os.path.join(glb, "scene.glb"), file["start"])
    support.check((scene.render.fps, scene.frame_start, scene.frame_end)
                  == (file["fps"], file["start"], file["end"]),
                  f"{example}: scene frames {scene.render.fps} fps, {scene.frame_start} to "
                  f"{scene.frame_end}")
    for frame in (file["start"], (file["start"] + file["end"]) // 3, file["end"]):
        expected = agents_at(os.path.join(run, "agents.csv"), frame)
        sources = set()
        scales = []
        turns = {}
        shown = instances_at(frame)
        for generator, found in turns.items():
            wanted_turns = [q[frame - file["start"]] for (g, _), q in quaternions.items()
                            if g == generator]
            # Every shown turn is one of the agents' turns (either sign of the quaternion).
            unmatched = [q for q in found if not any(
                abs(abs(float(np.dot(tuple(q), w))) - 1.0) < 1e-5 for w in wanted_turns)]
            support.check(not unmatched, f"{example} frame {frame}: {generator}: "
                                         f"{len(unmatched)} instances turned unlike any agent")
        support.check(all(abs(s - 1.0) < 1e-4 for s in scales),
                      f"{example} frame {frame}: instances not at their source's size")
        support.check(set(shown) == set(expected),
                      f"{example} frame {frame}: generators {sorted(shown)} shown, "
                      f"{sorted(expected)} in agents.csv")
        for generator, points in expected.items():
            support.check(matched(points, shown.get(generator, [])),
                          f"{example} frame {frame}: {generator}: {len(shown.get(generator, []))}"
                          f" instances do not stand where its {len(points)} agents do")
        generators = [o for o in scene.objects if o.vantri.role == "generator"]
        wanted = {c.name for g in generators for c in g.children}
        support.check(sources == wanted, f"{example}: instances of {sorted(sources)}, "
                                         f"not of the source objects {sorted(wanted)}")
# The last run brought in again, into an empty scene, by import_run: the scene it played
# comes with it, and its agents stand where they did.
kept = os.path.join(support.temporary_folder(), "kept")
os.rename(run, kept)
played = os.path.join(support.temporary_folder(), "scene.json")
os.rename(os.path.join(simulation.base_folder(), "scene.json"), played)
support.empty_scene()
bpy.ops.vantri.import_run(directory=kept, scene=played)
expected = agents_at(os.path.join(kept, "agents.csv"), 200)
sources = set()
scales, turns = [], {}
shown = instances_at(200)
support.check(sorted(shown) == sorted(expected) and all(
    matched(points, shown[g]) for g, points in expected.items()),
    "import_run: the agents do not stand where agents.csv puts them")
support.check(sources == {"ball", "block", "brick"}, f"import_run: instances of {sources}")
support.finish()
