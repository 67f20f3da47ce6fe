"""Finding and running the vantri command.

The command is looked for in the add-on's preferences, then in the VANTRI environment
variable, then on PATH, and last in the add-on's own folder: the packaged add-on
(scripts/make-blender-addon.sh) carries the command and the plug-in it was built with, in
bin/ and plugins/vantri/. Everything the add-on knows of the plug-in (its object types and
their parameters) and everything it simulates goes through this command.
"""

import json
import os
import shutil
import subprocess

ADDON_PACKAGE = __package__
HERE = os.path.dirname(os.path.abspath(__file__))
BUNDLED_COMMAND = os.path.join(HERE, "bin", "vantri")
BUNDLED_PLUGIN = os.path.join(HERE, "plugins", "vantri", "vantri.so")


class CommandError(Exception):
    """The vantri command could not be found or run; the message says why."""


def _preference_path():
    try:
        import bpy
    except ImportError:
        return ""
    addon = bpy.context.preferences.addons.get(ADDON_PACKAGE) if bpy.context else None
    if addon is None or addon.preferences is None:
        return ""
    return bpy.path.abspath(addon.preferences.command_path) if addon.preferences.command_path else ""


def find_command():
    """The path of the vantri command, or raises CommandError naming the places looked at."""
    for where, candidate in (("the add-on's preferences", _preference_path()),
                             ("$VANTRI", os.environ.get("VANTRI", ""))):
        if candidate:
            if os.path.isfile(candidate) and os.access(candidate, os.X_OK):
                return candidate
            raise CommandError(f"the vantri command named by {where} is not an executable file: "
                               f"{candidate}")
    found = shutil.which("vantri")
    if found:
        return found
    if os.path.isfile(BUNDLED_COMMAND):
        # Installing from a zip does not keep the executable bit.
        if not os.access(BUNDLED_COMMAND, os.X_OK):
            os.chmod(BUNDLED_COMMAND, 0o755)
        return BUNDLED_COMMAND
    raise CommandError("the vantri command was not found: set its path in the add-on's "
                       "preferences or in $VANTRI, or put it on PATH")


def environment(command):
    """The environment to run `command` in: the bundled command loads the bundled plug-in."""
    env = dict(os.environ)
    if os.path.abspath(command) == BUNDLED_COMMAND and "VANTRI_PLUGIN" not in env:
        env["VANTRI_PLUGIN"] = BUNDLED_PLUGIN
    return env


def describe_all(command=None):
    """The plug-in's object types and their parameters, from `vantri describe --json`."""
    command = command or find_command()
    try:
        done = subprocess.run([command, "describe", "--json"], capture_output=True, text=True,
                              timeout=60, env=environment(command))
    except (OSError, subprocess.SubprocessError) as error:
        raise CommandError(f"{command} describe --json could not run: {error}") from error
    if done.returncode != 0:
        raise CommandError(f"{command} describe --json failed: {done.stderr.strip()}")
    try:
        return json.loads(done.stdout)
    except ValueError as error:
        raise CommandError(f"{command} describe --json wrote no JSON: {error}") from error
