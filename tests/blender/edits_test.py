"""What the user changes in Blender reaches the scene file and the simulation: a crowd
built in Blender from nothing (objects added from the Add > Vantri menu, a mesh as the
source, a turned and moved generator) plays with its agents where Blender shows them; and
edits to an imported scene (a parameter, a turn, a moved vertex, a name, a cleared link, a
deleted object) are what the exported file says."""

import json
import math
import os
import subprocess

import bpy

import support
from vantri_blender import simulation

support.start()

# A crowd built in Blender: world > generator > a cube mesh, steered by a behaviour.
support.empty_scene()
bpy.ops.vantri.add_object(role="behaviour")
behaviour = bpy.context.view_layer.objects.active
behaviour.vantri.behaviour.CROWDBEHAV_KEEP_DIRECTION = True
bpy.ops.vantri.add_object(role="world")
world = bpy.context.view_layer.objects.active
bpy.ops.vantri.add_object(role="generator")
generator = bpy.context.view_layer.objects.active
generator.parent = world
generator.location = (1.0, 2.0, 0.0)
generator.rotation_euler = (0.0, 0.0, math.radians(90))  # mode YXZ: a heading of 90 degrees
params = generator.vantri.generator
params.CROWDGEN_COUNT_X, params.CROWDGEN_COUNT_Z = 4, 3
params.CROWDGEN_SPACING = (50.0, 0.0, 50.0)
params.CROWDGEN_BEHAVIOURS.add().object = behaviour
bpy.ops.mesh.primitive_cube_add(size=0.4)
body = bpy.context.view_layer.objects.active
body.parent = generator
# A second source without geometry: every other agent shows a box of the body's size.
bpy.ops.object.empty_add()
bpy.context.view_layer.objects.active.parent = generator  # "Empty": after "Cube" by name
scene = bpy.context.scene
scene.frame_start, scene.frame_end, scene.render.fps = 0, 40, 24
bpy.ops.vantri.simulate()
with open(os.path.join(simulation.base_folder(), "scene.json")) as f:
    written = json.load(f)
support.check((written.get("fps"), written.get("end")) == (24, 40),
              f"built: fps and end written as {written.get('fps')}, {written.get('end')}")
entry = written["objects"][1]["children"][0]
support.check(entry["type"] == "generator" and
              all(abs(a - b) < 1e-4 for a, b in zip(entry["position"], [100, 0, 200])) and
              abs(entry["rotation"][0] - 90) < 1e-4,
              f"built: the generator is written at {entry.get('position')}, "
              f"turned {entry.get('rotation')}")
cube = entry["children"][0]
support.check(cube["type"] == "polygon" and len(cube["points"]) == 8 and
              entry["children"][1]["type"] == "null" and
              all(abs(abs(c) - 20) < 1e-4 for p in cube["points"] for c in p),
              f"built: the cube is written as {cube['type']} with {len(cube.get('points', []))}"
              " points")
run = os.path.join(simulation.base_folder(), "run", "agents.csv")
for frame in (0, 20, 40):
    shown = support.check_agents_shown("built", run, frame)
    support.check(len(shown.get(generator.name, [])) == 12,
                  f"built frame {frame}: {len(shown.get(generator.name, []))} agents, not 12")
    shows = sorted(s.source for s in shown.get(generator.name, []))
    support.check(shows == sorted(["Cube"] * 6 + [f"{generator.name} body"] * 6),
                  f"built frame {frame}: the agents show {shows}")

# Saved and opened again, the .blend shows the same crowd: the result reads its run again.
saved = os.path.join(support.temporary_folder(), "built.blend")
bpy.ops.wm.save_as_mainfile(filepath=saved)
bpy.ops.wm.open_mainfile(filepath=saved)
support.check_agents_shown("built, opened again", run, 30)

# Edits to an imported scene.
support.empty_scene()
bpy.ops.vantri.import_scene(filepath=os.path.join(support.SOURCE, "examples", "obstacles.json"))
with open(os.path.join(support.SOURCE, "examples", "obstacles.json")) as f:
    original = json.load(f)
objects = bpy.data.objects
objects["left"].vantri.generator.CROWDGEN_SPEED = 7.5
objects["crate"].rotation_euler.z += math.radians(15)
objects["rock"].data.vertices[0].co.z += 0.5
objects["left exit"].name = "west exit"
exported = os.path.join(support.temporary_folder(), "edited.json")
bpy.ops.vantri.export_scene(filepath=exported)
with open(exported) as f:
    edited = json.load(f)


def find(tree, name):
    for entry in tree:
        if entry["name"] == name:
            return entry
        found = find(entry.get("children", []), name)
        if found:
            return found
    return None


support.check(find(edited["objects"], "left")["params"]["CROWDGEN_SPEED"] == 7.5,
              "edited: the new speed is not written")
was, now = find(original["objects"], "crate")["rotation"], find(edited["objects"], "crate")["rotation"]
support.check(abs(now[0] - was[0] - 15) < 1e-4 and all(abs(a - b) < 1e-4
                                                        for a, b in zip(now[1:], was[1:])),
              f"edited: the crate turned from {was} to {now}")
rock_was, rock = find(original["objects"], "rock"), find(edited["objects"], "rock")
moved = [i for i, (p, q) in enumerate(zip(rock_was["points"], rock["points"]))
         if any(abs(a - b) > 1e-3 for a, b in zip(p, q))]
support.check(moved == [0] and abs(rock["points"][0][1] - rock_was["points"][0][1] - 50) < 1e-3,
              f"edited: points {moved} of the rock moved")
support.check(find(edited["objects"], "west exit") is not None and
              find(edited["objects"], "to left exit")["params"]["CROWDBEHAV_FOLLOW_TARGET"]
              == "west exit", "edited: the renamed exit is not what the behaviour follows")
support.run(exported, os.path.join(support.temporary_folder(), "edited-run"))

# A cleared link is left out; a deleted object that a link or a list names is still named,
# so that the command says what is missing instead of playing another scene.
objects["to middle exit"].vantri.behaviour.CROWDBEHAV_FOLLOW_TARGET = None
bpy.data.objects.remove(objects["right exit"])
bpy.data.objects.remove(objects["boulder"])
bpy.ops.vantri.export_scene(filepath=exported)
with open(exported) as f:
    edited = json.load(f)
support.check("CROWDBEHAV_FOLLOW_TARGET" not in find(edited["objects"], "to middle exit")["params"],
              "deleted: a cleared link is still written")
support.check(find(edited["objects"], "to right exit")["params"]["CROWDBEHAV_FOLLOW_TARGET"]
              == "right exit", "deleted: the link to a deleted object is not written")
support.check("boulder" in find(edited["objects"], "world")["params"]["CROWDWORLD_OBSTACLES"],
              "deleted: the list entry of a deleted object is not written")
refused = subprocess.run([support.VANTRI, "run", exported, "--out",
                          os.path.join(support.temporary_folder(), "refused")],
                         capture_output=True, text=True)
support.check(refused.returncode == 2 and ("right exit" in refused.stderr
                                           or "boulder" in refused.stderr),
              f"deleted: the command's answer: {refused.returncode} {refused.stderr}")
support.finish()
