"""Every example imported into Blender and exported again, untouched, plays to the same
agents.csv, byte for byte, as the example itself. So does a scene that starts before frame
0, which Blender's frame range cannot hold, and one with values beyond the ranges the
descriptions give (the command plays them; Blender's properties hold them within range, and
the export must not pass the clamped values on)."""

import json
import os

import bpy

import support

support.start()
folder = support.temporary_folder()
with open(os.path.join(support.SOURCE, "examples", "flock.json")) as f:
    early = json.load(f)
early.update(start=-10, end=40)
with open(os.path.join(folder, "early_start.json"), "w") as f:
    json.dump(early, f)
beyond = json.loads(json.dumps(early))
beyond["objects"][2]["children"][0]["params"].update(
    CROWDGEN_COUNT_X=1001, CROWDGEN_COUNT_Z=1, CROWDGEN_SPEED_VARIATION=2.5)
with open(os.path.join(folder, "beyond_ranges.json"), "w") as f:
    json.dump(beyond, f)
variants = [os.path.join(folder, name) for name in ("early_start.json", "beyond_ranges.json")]
for example in support.EXAMPLES + variants:
    name = os.path.splitext(os.path.basename(example))[0]
    support.empty_scene()
    bpy.ops.vantri.import_scene(filepath=example)
    exported = os.path.join(folder, name + "-exported.json")
    bpy.ops.vantri.export_scene(filepath=exported)
    original = support.run(example, os.path.join(folder, name + "-original"))
    again = support.run(exported, os.path.join(folder, name + "-exported"))
    with open(os.path.join(original, "agents.csv"), "rb") as a, \
            open(os.path.join(again, "agents.csv"), "rb") as b:
        same = a.read() == b.read()
    support.check(same, f"{name}: the exported scene plays differently ({exported})")
    print(f"{name}: {'same' if same else 'DIFFERENT'}")

support.finish()
