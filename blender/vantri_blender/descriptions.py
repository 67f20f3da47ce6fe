"""The plug-in's object types as the add-on knows them: from `vantri describe --json` when
the command is found, else from the snapshot of that output packed with the add-on
(descriptions.json, written by scripts/make-blender-addon.sh from the built command).

A role is a plug-in type by its scene file name ("world", "generator", ...); the add-on
gives each role a property group whose properties are the type's parameters.
"""

import json
import os

from . import command

SNAPSHOT = os.path.join(os.path.dirname(__file__), "descriptions.json")

# What the add-on itself does with two of the roles: a world moves the generators under it;
# a generator's children are its agents' source objects and its agents are in the results.
WORLD = "world"
GENERATOR = "generator"


class Descriptions:
    def __init__(self, data, source):
        self.source = source  # where they came from, for the preferences panel
        self.types = data["types"]
        self.by_role = {t["scene_type"]: t for t in self.types}
        self.by_type_name = {}
        for t in self.types:
            self.by_type_name[t["scene_type"]] = t
            self.by_type_name[t["description"]] = t
        self.by_id = {t["id"]: t for t in self.types}

    def roles(self):
        return [t["scene_type"] for t in self.types]

    def parameters(self, role):
        """The role's parameters, groups left out, in description order."""
        return [p for p in self.by_role[role]["parameters"] if p["type"] != "group"]

    def groups(self, role):
        return [p for p in self.by_role[role]["parameters"] if p["type"] == "group"]

    def role_of_type(self, type_name):
        """The role of a scene file type name ("generator" or "ocrowdgenerator"), or None."""
        t = self.by_type_name.get(type_name)
        return t["scene_type"] if t else None


def load():
    """The descriptions from the command, else from the packed snapshot; raises
    command.CommandError when neither is there."""
    try:
        return Descriptions(command.describe_all(), "vantri describe --json")
    except command.CommandError as error:
        if os.path.isfile(SNAPSHOT):
            with open(SNAPSHOT, encoding="utf-8") as f:
                return Descriptions(json.load(f), SNAPSHOT)
        raise command.CommandError(f"{error}; and the add-on holds no snapshot of the "
                                   "descriptions") from error
