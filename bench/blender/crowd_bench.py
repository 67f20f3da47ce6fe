"""How long Blender takes to bring in and play a large crowd.

    VANTRI=build/release/bin/vantri blender -b --factory-startup \
        --python bench/blender/crowd_bench.py -- AGENTS [FRAMES]

Writes a scene of one generator of AGENTS agents (a square grid, walking straight on, so
that the run itself is quick) played over FRAMES frames (100), runs it with the command
(agents.csv only), then measures in Blender:
  - bring in: bpy.ops.vantri.import_run, which is what simulate does after the command ends
    (read agents.csv and run.json, build the point clouds and their instancing);
  - memory: the process's resident size before and after;
  - frame change: scene.frame_set to a few frames, each evaluated with the instances.
"""

import json
import math
import os
import subprocess
import sys
import tempfile
import time

import bpy

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "blender"))
import vantri_blender  # noqa: E402


def resident_mb():
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


arguments = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
agents = int(arguments[0]) if arguments else 10000
frames = int(arguments[1]) if len(arguments) > 1 else 100
side_x = min(1000, int(math.ceil(math.sqrt(agents))))
side_z = int(math.ceil(agents / side_x))
scene = {
    "fps": 25, "start": 0, "end": frames - 1,
    "objects": [
        {"type": "behaviour", "name": "walk", "params": {"CROWDBEHAV_KEEP_DIRECTION": True}},
        {"type": "world", "name": "world", "children": [
            {"type": "generator", "name": "crowd",
             "params": {"CROWDGEN_COUNT_X": side_x, "CROWDGEN_COUNT_Z": side_z,
                        "CROWDGEN_SPACING": [100, 100, 100], "CROWDGEN_BEHAVIOURS": ["walk"]},
             "children": [{"type": "cube", "name": "body", "size": [40, 160, 30]}]}]}]}
folder = tempfile.mkdtemp(prefix="vantri-bench-")
scene_path = os.path.join(folder, "crowd.json")
with open(scene_path, "w") as f:
    json.dump(scene, f)

vantri_blender.register()
bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.vantri.import_scene(filepath=scene_path)
started = time.perf_counter()
subprocess.run([os.environ["VANTRI"], "run", scene_path, "--out", os.path.join(folder, "run"),
                "--outputs", "csv", "--quiet"], check=True)
ran = time.perf_counter() - started

before = resident_mb()
started = time.perf_counter()
bpy.ops.vantri.import_run(directory=os.path.join(folder, "run"), scene=scene_path)
bpy.context.scene.frame_set(0)
brought_in = time.perf_counter() - started
after = resident_mb()

changes = []
for frame in (1, 50, frames - 1, 25, 75):
    started = time.perf_counter()
    bpy.context.scene.frame_set(frame)
    bpy.context.evaluated_depsgraph_get()
    changes.append(time.perf_counter() - started)
shown = sum(1 for i in bpy.context.evaluated_depsgraph_get().object_instances if i.is_instance)


def play():
    """Every frame in turn, as playback does: the slowest and the mean frame change."""
    times = []
    for frame in range(frames):
        started = time.perf_counter()
        bpy.context.scene.frame_set(frame)
        bpy.context.evaluated_depsgraph_get()
        times.append(time.perf_counter() - started)
    return max(times) * 1000, sum(times) / len(times) * 1000


first_play = play()
again = play()
played = resident_mb()
print(f"BENCH agents {side_x * side_z} frames {frames}: command {ran:.2f} s; "
      f"agents.csv {os.path.getsize(os.path.join(folder, 'run', 'agents.csv')) / 1e6:.0f} MB; "
      f"bring in {brought_in:.2f} s; memory +{after - before:.0f} MB "
      f"(resident {after:.0f} MB); frame change "
      f"{', '.join(f'{c * 1000:.0f}' for c in changes)} ms; {shown} instances shown; "
      f"playing every frame: first time max {first_play[0]:.0f} ms, mean {first_play[1]:.0f} ms; "
      f"again max {again[0]:.0f} ms, mean {again[1]:.0f} ms; resident then {played:.0f} MB")
vantri_blender.unregister()
import shutil  # noqa: E402
shutil.rmtree(folder, ignore_errors=True)
