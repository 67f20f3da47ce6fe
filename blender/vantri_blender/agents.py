"""A run's agents.csv, read frame by frame as Blender shows it, into compact arrays.

agents.csv has a row per agent per frame (frame order, then generator order, then agent
order): frame, generator, agent, the global position x y z in scene units, and heading,
pitch, bank relative to the generator. A crowd is kept as, per generator,

  positions  float32 (frames, agents, 3): Blender metres, Z up
  rotations  float32 (frames, agents, 3): Blender Euler angles (mode XYZ) in the world,
             the generator's own turn at that frame composed with the agent's
  present    bool (frames, agents): whether the agent has a row at that frame

which is 28 bytes per agent per frame, filled in as frames are first shown. A frame's rows
are found without reading the file through: the rows are in frame order, so a binary
search over the file's bytes finds where a frame begins and ends, and numpy's loadtxt reads
just those rows. So a run of 100,000 agents is shown at once, however long its file, and a
frame costs the reading of its own rows the first time and a copy after that.

Pure numpy: the tests use it without Blender.
"""

import csv
import io
import json
import os

import numpy as np

from . import space

HEADER = b"frame,generator,agent,x,y,z,heading,pitch,bank,speed,max_speed,waiting"


class RunError(Exception):
    """A run's results cannot be read; the message names the file."""


class Crowd:
    """One generator's agents over the run's frames."""

    def __init__(self, name, frames, count):
        self.name = name
        self.positions = np.zeros((frames, count, 3), dtype=np.float32)
        self.rotations = np.zeros((frames, count, 3), dtype=np.float32)
        self.present = np.zeros((frames, count), dtype=bool)

    @property
    def agent_count(self):
        return self.positions.shape[1]

    def grow(self, count):
        """Room for `count` agents (a frame with more agents than run.json's last)."""
        if count <= self.agent_count:
            return
        more = count - self.agent_count
        frames = self.positions.shape[0]
        self.positions = np.concatenate(
            (self.positions, np.zeros((frames, more, 3), np.float32)), axis=1)
        self.rotations = np.concatenate(
            (self.rotations, np.zeros((frames, more, 3), np.float32)), axis=1)
        self.present = np.concatenate((self.present, np.zeros((frames, more), bool)), axis=1)


class AgentsFile:
    """agents.csv, open for reading one frame's rows at a time."""

    def __init__(self, path):
        self.path = path
        try:
            self.file = open(path, "rb")
            self.size = os.fstat(self.file.fileno()).st_size
        except OSError as error:
            raise RunError(f"{path}: cannot be read: {error.strerror}") from error
        first = self.file.readline()
        if first.rstrip(b"\r\n") != HEADER:
            raise RunError(f"{path}: not an agents.csv (its first line is not the header)")
        self.data_start = len(first)

    def close(self):
        self.file.close()

    def _row_at_or_after(self, position):
        """The offset of the first row that starts at or after `position`."""
        if position <= self.data_start:
            return self.data_start
        at = position - 1  # a row starts at `position` when the byte before it is a newline
        while at < self.size:
            self.file.seek(at)
            chunk = self.file.read(4096)
            newline = chunk.find(b"\n")
            if newline >= 0:
                return at + newline + 1
            at += len(chunk)
        return self.size

    def _frame_of(self, row):
        self.file.seek(row)
        text = self.file.read(24).split(b",", 1)[0]
        try:
            return int(text)
        except ValueError as error:
            raise RunError(f"{self.path}: a row at byte {row} has no frame number") from error

    def _first_row_of_frame_or_later(self, frame):
        low, high = self.data_start, self.size
        while low < high:
            middle = (low + high) // 2
            row = self._row_at_or_after(middle)
            if row >= self.size or self._frame_of(row) >= frame:
                high = middle
            else:
                low = middle + 1
        return self._row_at_or_after(low)

    def rows(self, frame):
        """The rows of one frame: (numbers (rows, 8): frame, agent, x, y, z, heading, pitch,
        bank; the generator name of each row)."""
        begin = self._first_row_of_frame_or_later(frame)
        end = self._first_row_of_frame_or_later(frame + 1)
        self.file.seek(begin)
        text = self.file.read(end - begin)
        if not text:
            return np.empty((0, 8)), []
        try:
            numbers = np.loadtxt(io.BytesIO(text), delimiter=",", quotechar='"',
                                 usecols=(0, 2, 3, 4, 5, 6, 7, 8), dtype=np.float64, ndmin=2)
        except ValueError as error:
            raise RunError(f"{self.path}: frame {frame}: {error}") from error
        # The generator column, read at the first row of each generator's block (agent 0).
        ends = np.flatnonzero(np.frombuffer(text, np.uint8) == 10)
        starts = np.concatenate(([0], ends[:-1] + 1))
        blocks = np.flatnonzero(numbers[:, 1] == 0)
        if len(numbers) and (len(blocks) == 0 or blocks[0] != 0):
            raise RunError(f"{self.path}: frame {frame} does not start with an agent 0")
        names = []
        for row in blocks:
            line = text[starts[row]:ends[row] if row < len(ends) else len(text)]
            names.append(next(csv.reader([line.decode("utf-8")]))[1])
        counts = np.diff(np.append(blocks, len(numbers)))
        return numbers, np.repeat(np.array(names, dtype=object), counts)


class Run:
    """A finished run: run.json, the scene it played and its agents, read as needed."""

    def __init__(self, directory, report, scene, scene_path):
        self.directory = directory
        self.report = report            # run.json
        self.scene = scene              # the scene file played, or None
        self.scene_path = scene_path    # where it was read from, or None
        start, end = int(report.get("start", 0)), int(report.get("end", 0))
        self.frames = list(range(start, end + 1))
        self.agents = AgentsFile(os.path.join(directory, "agents.csv"))
        self.crowds = {}                # {generator name: Crowd}, in the file's order
        for generator in report.get("generators", []):
            self.crowds[generator["name"]] = Crowd(generator["name"], len(self.frames),
                                                   int(generator.get("agents", 0)))
        self.read = np.zeros(len(self.frames), dtype=bool)

    def frame_index(self, frame):
        """The row of the arrays to show at Blender frame `frame` (held at the ends)."""
        first = self.frames[0]
        return int(min(max(round(frame) - first, 0), len(self.frames) - 1))

    def load_frame(self, index):
        """Reads frame `index` (a row of the arrays) into the crowds, once."""
        if self.read[index]:
            return
        frame = self.frames[index]
        numbers, names = self.agents.rows(frame)
        matrices = space.global_matrices(self.scene.get("objects", []), frame) \
            if self.scene else {}
        for name in dict.fromkeys(names):
            rows = names == name
            chosen = numbers[rows]
            crowd = self.crowds.get(name)
            if crowd is None:
                crowd = self.crowds[name] = Crowd(name, len(self.frames), 0)
            agent = chosen[:, 1].astype(np.int64)
            crowd.grow(int(agent.max()) + 1)
            # Host (x, y, z) cm -> Blender (x, z, y) m.
            crowd.positions[index, agent] = chosen[:, [2, 4, 3]] * space.METRES_PER_UNIT
            # The world rotation: the generator's turn (its scale taken out), then the
            # agent's, seen through the swap of Y and Z.
            m = matrices.get(name)
            turn = np.identity(3) if m is None else m[:3, :3]
            lengths = np.linalg.norm(turn, axis=0)
            turn = turn / np.where(lengths == 0.0, 1.0, lengths)
            host = np.einsum("ij,njk->nik", turn, space.host_axes_many(chosen[:, 5:8]))
            crowd.rotations[index, agent] = space.euler_xyz_many(space.SWAP @ host @ space.SWAP)
            crowd.present[index, agent] = True
        self.read[index] = True


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


def load_run(directory, scene_path=None):
    """Opens a finished run's folder (run.json and agents.csv) and reads its first frame."""
    report = _read_report(directory)
    csv_path = os.path.join(directory, "agents.csv")
    if not os.path.isfile(csv_path):
        raise RunError(f"{csv_path}: not there; run with --outputs csv (the default writes it)")
    scene_file = find_scene(directory, report, scene_path)
    scene = None
    if scene_file:
        try:
            with open(scene_file, encoding="utf-8") as f:
                scene = json.load(f)
        except (OSError, ValueError) as error:
            raise RunError(f"{scene_file}: cannot be read: {error}") from error
    run = Run(directory, report, scene, scene_file)
    if run.frames:
        run.load_frame(0)
    return run
