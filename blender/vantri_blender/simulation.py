"""Running `vantri run` on the exported scene, watched from Blender.

The scene is written to `<base>/pending.json` and played into `<base>/run`, where <base> is
`vantri/<blend file name>` beside a saved .blend, or a folder in the system's temporary
folder for an unsaved one. The command writes its results into a staging folder and moves
them into place only when it succeeds, so a refused or cancelled run leaves the previous
results (and the previous "Vantri result") as they were; the played scene then becomes
`<base>/scene.json`, the one that goes with the results.

The command's progress ("building the scene", "frame 12 (13 of 101), ...", "writing
agents.csv") goes to its stderr, which is a pseudo-terminal where there is one so that the
frame line comes every tenth of a second. Its own messages there (failures and warnings) are
the lines that start with "vantri".
"""

import os
import re
import signal
import subprocess
import tempfile

import bpy

from . import command as vantri_command

PROGRESS = re.compile(rb"frame (-?\d+) \((\d+) of (\d+)\)")


def base_folder():
    if bpy.data.filepath:
        folder = os.path.dirname(bpy.data.filepath)
        stem = os.path.splitext(os.path.basename(bpy.data.filepath))[0]
        return os.path.join(folder, "vantri", stem)
    return os.path.join(tempfile.gettempdir(), f"vantri-blender-{os.getpid()}")


class Simulation:
    """One `vantri run` in a child process."""

    def __init__(self, command, scene_path, out):
        self.out = out
        self.done = 0
        self.total = 0
        self._text = b""
        arguments = [command, "run", scene_path, "--out", out, "--outputs", "csv"]
        self._master = None
        try:
            import pty
            self._master, slave = pty.openpty()
            os.set_blocking(self._master, False)
            self.process = subprocess.Popen(arguments, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.DEVNULL, stderr=slave,
                                            start_new_session=True,
                                            env=vantri_command.environment(command))
            os.close(slave)
        except (ImportError, OSError):
            if self._master is not None:
                os.close(self._master)
                self._master = None
            self.process = subprocess.Popen(arguments, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                            start_new_session=True,
                                            env=vantri_command.environment(command))

    def _read(self):
        if self._master is not None:
            while True:
                try:
                    chunk = os.read(self._master, 65536)
                except BlockingIOError:
                    break
                except OSError:  # the other end closed
                    break
                if not chunk:
                    break
                self._text += chunk
        found = PROGRESS.findall(self._text[-4096:])
        if found:
            self.done, self.total = int(found[-1][1]), int(found[-1][2])

    def poll(self):
        """None while running, else the exit code."""
        self._read()
        return self.process.poll()

    def wait(self):
        if self._master is None:
            _, err = self.process.communicate()
            self._text += err or b""
        else:
            while self.process.poll() is None:
                self._read()
                try:
                    self.process.wait(timeout=0.05)
                except subprocess.TimeoutExpired:
                    pass
        self._read()
        return self.process.returncode

    def cancel(self):
        """Stops the command; it removes its staging folder on the signal."""
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGINT)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        self.close()

    def close(self):
        if self._master is not None:
            os.close(self._master)
            self._master = None

    def errors(self):
        """The command's messages: the lines of its stderr that start with "vantri", not its
        progress."""
        self._read()
        if self._master is None and self.process.stderr is not None and \
                self.process.poll() is not None:
            try:
                self._text += self.process.stderr.read() or b""
            except (OSError, ValueError):
                pass
        text = self._text.decode("utf-8", "replace").replace("\r\n", "\n")
        lines = []
        for line in re.split(r"[\r\n]", text):
            line = line.strip()
            if line.startswith("vantri"):
                lines.append(line)
        return lines
