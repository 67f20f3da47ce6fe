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


# -- what a run says and what Blender shows

TOLERANCE = 1e-4  # metres


def agents_at(csv_path, frame):
    """{generator: [(x, y, z) in Blender metres]} of agents.csv at one frame."""
    import csv
    out = {}
    with open(csv_path, newline="") as f:
        for row in csv.DictReader(f):
            if int(row["frame"]) == frame:
                x, y, z = (float(row[k]) for k in ("x", "y", "z"))
                out.setdefault(row["generator"], []).append((x / 100, z / 100, y / 100))
    return out


class Shown:
    """One instance that the objects of "Vantri result" make."""

    def __init__(self, instance):
        self.position = tuple(instance.matrix_world.translation)
        self.turn = instance.matrix_world.to_quaternion()
        self.size = instance.matrix_world.to_3x3().determinant()
        self.source = instance.object.original.name


def instances_at(frame):
    """{generator: [Shown]} of the instances in "Vantri result" at `frame`."""
    from vantri_blender import results
    bpy.context.scene.frame_set(frame)
    depsgraph = bpy.context.evaluated_depsgraph_get()
    carriers = {o.name for o in bpy.data.collections[results.RESULT].objects}
    out = {}
    for instance in depsgraph.object_instances:
        if instance.is_instance and instance.parent and instance.parent.name in carriers:
            owner = instance.parent.original["vantri_generator"]
            out.setdefault(owner, []).append(Shown(instance))
    return out


def matched(expected, shown):
    """Whether each shown point pairs with its own expected point within TOLERANCE."""
    import numpy as np
    if len(expected) != len(shown):
        return False
    left = [tuple(p) for p in shown]
    for p in expected:
        d = [max(abs(p[i] - q[i]) for i in range(3)) for q in left]
        k = int(np.argmin(d))
        if d[k] > TOLERANCE:
            return False
        left.pop(k)
    return True


def check_agents_shown(what, csv_path, frame):
    """Checks that at `frame` every agent of agents.csv has one instance where it stands,
    and returns what is shown."""
    expected = agents_at(csv_path, frame)
    shown = instances_at(frame)
    check(sorted(shown) == sorted(expected),
          f"{what} frame {frame}: generators {sorted(shown)} shown, {sorted(expected)} run")
    for generator, points in expected.items():
        here = [s.position for s in shown.get(generator, [])]
        check(matched(points, here), f"{what} frame {frame}: {generator}: {len(here)} instances "
                                     f"do not stand where its {len(points)} agents do")
    return shown
