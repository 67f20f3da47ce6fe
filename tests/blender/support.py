"""What the Blender tests share: the add-on registered from the source tree, the vantri
command, fresh scenes and runs. Run inside Blender by tests/blender/run.sh."""

import os
import shutil
import subprocess
import sys
import tempfile

import bpy

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(SOURCE, "blender"))

import vantri_blender  # noqa: E402

VANTRI = os.environ["VANTRI"]
EXAMPLES = sorted(os.path.join(SOURCE, "examples", f)
                  for f in os.listdir(os.path.join(SOURCE, "examples")) if f.endswith(".json"))

failures = []
_folders = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def start():
    vantri_blender.register()


def finish():
    vantri_blender.unregister()
    from vantri_blender import simulation
    for folder in _folders + [simulation.base_folder()]:
        shutil.rmtree(folder, ignore_errors=True)
    if failures:
        print(f"{len(failures)} failure(s)")
        sys.exit(1)
    print("all passed")


def empty_scene():
    """A scene with nothing in it, the add-on's state of the previous one gone."""
    bpy.ops.wm.read_factory_settings(use_empty=True)


def run(scene_path, out):
    """Plays a scene file with the command, agents.csv only; returns the folder."""
    subprocess.run([VANTRI, "run", scene_path, "--out", out, "--outputs", "csv", "--quiet"],
                   check=True)
    return out


def temporary_folder():
    folder = tempfile.mkdtemp(prefix="vantri-blender-test-")
    _folders.append(folder)
    return folder
