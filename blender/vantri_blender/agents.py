"""A run's agents.csv as compact arrays, ready to be shown frame by frame.

agents.csv has a row per agent per frame (frame order, then generator order, then agent
order): frame, generator, agent, the global position x y z in scene units, and heading,
pitch, bank relative to the generator. A crowd is kept as, per generator,

  positions  float32 (frames, agents, 3): Blender metres, Z up
  rotations  float32 (frames, agents, 3): Blender Euler angles (mode XYZ) in the world,
             the generator's own turn at that frame composed with the agent's
  present    bool (frames, agents): whether the agent has a row at that frame

which is 28 bytes per agent per frame. numpy's loadtxt reads the numbers; the generator
column is read only at the first row of each generator's block.

Pure numpy: the tests use it without Blender.
"""

import csv
import json
import os

import numpy as np

from . import space


# Rows converted at a time.
CHUNK = 1 << 18


class RunError(Exception):
    """A run's results cannot be read; the message names the file."""


class Crowd:
    """One generator's agents over the run's frames."""

    def __init__(self, name, positions, rotations, present):
        self.name = name
        self.positions = positions
        self.rotations = rotations
        self.present = present

    @property
    def agent_count(self):
        return self.positions.shape[1]


class Run:
    def __init__(self, directory, report, frames, crowds, scene, scene_path=None):
        self.directory = directory
        self.scene_path = scene_path  # the scene file read, or None
        self.report = report          # run.json
        self.frames = frames          # the frame numbers, in order
        self.crowds = crowds          # {generator name: Crowd}, in the file's order
        self.scene = scene            # the scene file played, or None

    def frame_index(self, frame):
        """The row of the arrays to show at Blender frame `frame` (held at the ends)."""
        first = self.frames[0]
        return int(min(max(round(frame) - first, 0), len(self.frames) - 1))


def _read_report(directory):
    path = os.path.join(directory, "run.json")
    try:
        with open(path, encoding="utf-8") as f:
            return json.load(f)
    except OSError as error:
        raise RunError(f"{path}: cannot be read: {error.strerror}") from error
    except ValueError as error:
        raise RunError(f"{path}: not valid JSON: {error}") from error


def find_scene(directory, report, scene_path=None):
    """The scene file the run played: `scene_path`, else run.json's, taken as it is, from the
    current folder, or from the folders above the run's."""
    candidates = [scene_path] if scene_path else []
    named = report.get("scene")
    if named:
        candidates.append(named)
        here = os.path.abspath(directory)
        for _ in range(4):
            here = os.path.dirname(here)
            candidates.append(os.path.join(here, named))
    for candidate in candidates:
        if candidate and os.path.isfile(candidate):
            return candidate
    return None


def _generator_rotations(scene, names, frames):
    """{name: (frames, 3, 3)} the host rotation of each generator at each frame, its scale
    taken out."""
    out = {name: np.empty((len(frames), 3, 3)) for name in names}
    for i, frame in enumerate(frames):
        matrices = space.global_matrices(scene.get("objects", []), frame) if scene else {}
        for name in names:
            m = matrices.get(name)
            axes = m[:3, :3] if m is not None else np.identity(3)
            lengths = np.linalg.norm(axes, axis=0)
            lengths[lengths == 0.0] = 1.0
            out[name][i] = axes / lengths
    return out


def _read_rows(path):
    """The numeric columns (frame, agent, x, y, z, heading, pitch, bank) and, per block of
    rows of one generator at one frame, its first row and the generator's name."""
    try:
        raw = np.fromfile(path, dtype=np.uint8)
    except OSError as error:
        raise RunError(f"{path}: cannot be read: {error.strerror}") from error
    ends = np.flatnonzero(raw == 10)
    if len(ends) == 0 or bytes(raw[:ends[0]]).decode("utf-8", "replace").strip() != \
            "frame,generator,agent,x,y,z,heading,pitch,bank,speed,max_speed,waiting":
        raise RunError(f"{path}: not an agents.csv (its first line is not the header)")
    if len(ends) == 1:
        return np.empty((0, 8)), [], []
    try:
        numbers = np.loadtxt(path, delimiter=",", skiprows=1, quotechar='"',
                             usecols=(0, 2, 3, 4, 5, 6, 7, 8), dtype=np.float64, ndmin=2)
    except ValueError as error:
        raise RunError(f"{path}: {error}") from error
    starts = np.concatenate(([ends[0] + 1], ends[:-1][1:] + 1))
    blocks = np.flatnonzero(numbers[:, 1] == 0)
    names = []
    for row in blocks:
        line = bytes(raw[starts[row]:ends[row + 1]]).decode("utf-8")
        names.append(next(csv.reader([line]))[1])
    return numbers, blocks, names


def load_run(directory, scene_path=None):
    """Reads a finished run's folder (run.json and agents.csv)."""
    report = _read_report(directory)
    csv_path = os.path.join(directory, "agents.csv")
    if not os.path.isfile(csv_path):
        raise RunError(f"{csv_path}: not there; run with --outputs csv (the default writes it)")
    start, end = int(report.get("start", 0)), int(report.get("end", 0))
    frames = list(range(start, end + 1))
    generators = [g["name"] for g in report.get("generators", [])]
    numbers, blocks, block_names = _read_rows(csv_path)

    for name in block_names:
        if name not in generators:
            generators.append(name)
    index_of = {name: i for i, name in enumerate(generators)}
    # Each row's generator: that of the block it is in.
    block_generator = np.array([index_of[n] for n in block_names], dtype=np.int64)
    row_block = np.searchsorted(blocks, np.arange(len(numbers)), side="right") - 1
    if len(numbers) and row_block[0] < 0:
        raise RunError(f"{csv_path}: the first row is not an agent 0")
    row_generator = block_generator[row_block] if len(numbers) else np.empty(0, np.int64)
    row_frame = numbers[:, 0].astype(np.int64) - start
    row_agent = numbers[:, 1].astype(np.int64)
    if len(numbers) and (row_frame.min() < 0 or row_frame.max() >= len(frames)):
        raise RunError(f"{csv_path}: frames outside {start} to {end} of run.json")

    scene_file = find_scene(directory, report, scene_path)
    scene = None
    if scene_file:
        with open(scene_file, encoding="utf-8") as f:
            scene = json.load(f)
    turns = _generator_rotations(scene, generators, frames)

    crowds = {}
    for g, name in enumerate(generators):
        rows = row_generator == g
        count = int(row_agent[rows].max()) + 1 if rows.any() else 0
        positions = np.zeros((len(frames), count, 3), dtype=np.float32)
        rotations = np.zeros((len(frames), count, 3), dtype=np.float32)
        present = np.zeros((len(frames), count), dtype=bool)
        # In slices, so that the temporaries of a large crowd stay small.
        chosen_rows = np.flatnonzero(rows)
        for first in range(0, len(chosen_rows), CHUNK):
            part = chosen_rows[first:first + CHUNK]
            chosen = numbers[part].astype(np.float64)
            pf, pa = row_frame[part], row_agent[part]
            # Host (x, y, z) cm -> Blender (x, z, y) m.
            positions[pf, pa] = chosen[:, [2, 4, 3]] * space.METRES_PER_UNIT
            # The world rotation: the generator's turn, then the agent's, seen through the
            # swap of Y and Z.
            host = np.einsum("nij,njk->nik", turns[name][pf],
                             space.host_axes_many(chosen[:, 5:8]))
            rotations[pf, pa] = space.euler_xyz_many(space.SWAP @ host @ space.SWAP)
            present[pf, pa] = True
        # An agent missing at some frames stays where it was last seen (it is hidden there).
        crowds[name] = Crowd(name, positions, rotations, present)
    return Run(directory, report, frames, crowds, scene, scene_file)
