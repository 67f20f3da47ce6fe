"""Every example imported into Blender and exported again, untouched, plays to the same
agents.csv, byte for byte, as the example itself."""

import os

import bpy

import support

support.start()
folder = support.temporary_folder()
for example in support.EXAMPLES:
    name = os.path.splitext(os.path.basename(example))[0]
    support.empty_scene()
    bpy.ops.vantri.import_scene(filepath=example)
    exported = os.path.join(folder, name + ".json")
    bpy.ops.vantri.export_scene(filepath=exported)
    original = support.run(example, os.path.join(folder, name + "-original"))
    again = support.run(exported, os.path.join(folder, name + "-exported"))
    with open(os.path.join(original, "agents.csv"), "rb") as a, \
            open(os.path.join(again, "agents.csv"), "rb") as b:
        same = a.read() == b.read()
    support.check(same, f"{name}: the exported scene plays differently ({exported})")
    print(f"{name}: {'same' if same else 'DIFFERENT'}")
support.finish()
