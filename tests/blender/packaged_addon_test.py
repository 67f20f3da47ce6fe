"""The add-on as a person installs it: the zip of scripts/make-blender-addon.sh installed
and enabled through Blender's preferences, with no vantri command set, in $VANTRI or on
PATH, simulates an example with the command and plug-in it carries."""

import os
import shutil
import subprocess
import sys

import bpy

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
zip_path = os.path.join(os.environ["HOME"], "vantri_blender.zip")
subprocess.run(["bash", os.path.join(SOURCE, "scripts", "make-blender-addon.sh"), zip_path],
               check=True)
del os.environ["VANTRI"]
os.environ["PATH"] = "/usr/bin:/bin"

bpy.ops.preferences.addon_install(filepath=zip_path)
bpy.ops.preferences.addon_enable(module="vantri_blender")
from vantri_blender import command, results  # noqa: E402

failures = []
if command.find_command() != command.BUNDLED_COMMAND:
    failures.append(f"the command used is {command.find_command()}, not the packaged one")
bpy.ops.vantri.import_scene(filepath=os.path.join(SOURCE, "examples", "flock.json"))
bpy.ops.vantri.simulate()
result = bpy.data.collections.get(results.RESULT)
bpy.context.scene.frame_set(100)
depsgraph = bpy.context.evaluated_depsgraph_get()
agents = sum(1 for i in depsgraph.object_instances
             if i.is_instance and i.parent and i.parent.original.name in result.objects)
if agents != 20:
    failures.append(f"{agents} agents shown, not the example's 20")
from vantri_blender import simulation  # noqa: E402
shutil.rmtree(simulation.base_folder(), ignore_errors=True)
bpy.ops.preferences.addon_disable(module="vantri_blender")
for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
