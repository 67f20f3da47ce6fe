"""Simulate from Blender, then look at what Blender shows: at three frames, the world
position of every instance in "Vantri result" is an agent's place in agents.csv (one
instance per agent, within 1e-4 m), its rotation is the agent's in scene.glb (the run's
other, separately checked, account of the same motion), the instances are of the
generator's source objects, and the scene's frame rate and range are the file's."""

import json
import os
import struct
import subprocess

import bpy
import numpy as np

import support
from vantri_blender import simulation


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


support.start()
for example in ("target.json", "flock.json", "terrain.json", "crossing.json", "obstacles.json"):
    path = os.path.join(support.SOURCE, "examples", example)
    with open(path) as f:
        file = json.load(f)
    support.empty_scene()
    bpy.ops.vantri.import_scene(filepath=path)
    scene = bpy.context.scene
    scene.frame_set(scene.frame_start)
    bpy.ops.vantri.simulate()
    run = os.path.join(simulation.base_folder(), "run")
    support.check((scene.render.fps, scene.frame_start, scene.frame_end)
                  == (file["fps"], file["start"], file["end"]),
                  f"{example}: scene frames {scene.render.fps} fps, {scene.frame_start} to "
                  f"{scene.frame_end}")
    glb = os.path.join(support.temporary_folder(), "glb")
    subprocess.run([support.VANTRI, "run", os.path.join(simulation.base_folder(), "scene.json"),
                    "--out", glb, "--outputs", "glb", "--quiet"], check=True)
    quaternions = glb_rotations(os.path.join(glb, "scene.glb"), file["start"])
    generators = [o for o in scene.objects if o.vantri.role == "generator"]
    wanted_sources = {c.name for g in generators for c in g.children}
    for frame in (file["start"], (file["start"] + file["end"]) // 3, file["end"]):
        shown = support.check_agents_shown(example, os.path.join(run, "agents.csv"), frame)
        everything = [s for found in shown.values() for s in found]
        support.check(all(abs(s.size - 1.0) < 1e-4 for s in everything),
                      f"{example} frame {frame}: instances not at their source's size")
        sources = {s.source for s in everything}
        support.check(sources == wanted_sources, f"{example}: instances of {sorted(sources)}, "
                                                 f"not of the source objects {sorted(wanted_sources)}")
        for generator, found in shown.items():
            turns = [q[frame - file["start"]] for (g, _), q in quaternions.items()
                     if g == generator]
            # Every shown turn is one of the agents' turns (either sign of the quaternion).
            unmatched = [s for s in found if not any(
                abs(abs(float(np.dot(tuple(s.turn), w))) - 1.0) < 1e-5 for w in turns)]
            support.check(not unmatched, f"{example} frame {frame}: {generator}: "
                                         f"{len(unmatched)} instances turned unlike any agent")

# The last run brought in again, into an empty scene, by import_run: the scene it played
# comes with it, and its agents stand where they did.
kept = os.path.join(support.temporary_folder(), "kept")
os.rename(run, kept)
played = os.path.join(support.temporary_folder(), "scene.json")
os.rename(os.path.join(simulation.base_folder(), "scene.json"), played)
support.empty_scene()
bpy.ops.vantri.import_run(directory=kept, scene=played)
shown = support.check_agents_shown("import_run", os.path.join(kept, "agents.csv"), 200)
sources = {s.source for found in shown.values() for s in found}
support.check(sources == {"ball", "block", "brick"}, f"import_run: instances of {sources}")
support.finish()
