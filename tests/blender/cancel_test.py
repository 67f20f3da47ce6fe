"""A simulation shows its progress and can be stopped: the command's frame count comes
through while it runs, and a cancelled run leaves no results and nothing half-written."""

import json
import os
import time

import support
from vantri_blender import simulation

support.start()
folder = support.temporary_folder()
scene = {"fps": 25, "start": 0, "end": 100000, "objects": [
    {"type": "world", "name": "world", "children": [
        {"type": "generator", "name": "crowd",
         "params": {"CROWDGEN_COUNT_X": 100, "CROWDGEN_COUNT_Z": 100},
         "children": [{"type": "cube", "name": "body"}]}]}]}
path = os.path.join(folder, "long.json")
with open(path, "w") as f:
    json.dump(scene, f)
out = os.path.join(folder, "run")
running = simulation.Simulation(support.VANTRI, path, out)
waited = time.monotonic()
while running.poll() is None and running.done < 2 and time.monotonic() - waited < 60:
    time.sleep(0.05)
support.check(running.done >= 2 and running.total == 100001,
              f"progress: frame {running.done} of {running.total} seen")
running.cancel()
support.check(running.process.returncode is not None, "the command still runs")
support.check(sorted(os.listdir(folder)) == ["long.json"],
              f"a cancelled run left {sorted(os.listdir(folder))}")
support.finish()
