"""Vantri in Blender: the crowd plug-in's objects as Blender objects, scene files both ways,
and simulation through the vantri command with the crowd brought back as instances.

The parameters of the plug-in's objects are built at registration from the plug-in's own
descriptions (`vantri describe --json`), so the add-on shows what the plug-in it runs has.
"""

bl_info = {
    "name": "Vantri Crowds",
    "author": "Vantri",
    "version": (1, 0, 0),
    "blender": (3, 4, 0),
    "location": "Add > Vantri; Properties > Object and Scene > Vantri; File > Import/Export",
    "description": "Crowd simulation with the Vantri plug-in: build, simulate, play back",
    "category": "Animation",
}

import bpy

from . import command, descriptions, operators, properties, results, ui


# Why the object types could not be read when the add-on was enabled, or "".
_load_error = ""


class VantriPreferences(bpy.types.AddonPreferences):
    bl_idname = __package__
    command_path: bpy.props.StringProperty(
        name="vantri command", subtype="FILE_PATH",
        description="The vantri command; left empty, $VANTRI and then PATH are looked in")

    def draw(self, context):
        self.layout.prop(self, "command_path")
        loaded = properties.loaded()
        if loaded is not None:
            self.layout.label(text=f"Object types from {loaded.source}; a new command path "
                                   "takes effect when the add-on is enabled again")
        else:
            self.layout.label(text=_load_error, icon="ERROR")
            self.layout.label(text="Set the command, then disable and enable the add-on")


_classes = operators.classes + ui.classes


def register():
    """Registers the preferences, then, from the plug-in's descriptions, the properties,
    operators and panels. Without descriptions only the preferences are there, so that the
    command can be set."""
    global _load_error
    bpy.utils.register_class(VantriPreferences)
    try:
        loaded = descriptions.load()
    except command.CommandError as error:
        _load_error = f"Vantri: {error}"
        print(_load_error)
        return
    _load_error = ""
    properties.register(loaded)
    for cls in _classes:
        bpy.utils.register_class(cls)
    ui.register()
    results.register()


def unregister():
    if properties.loaded() is not None:
        results.unregister()
        ui.unregister()
        for cls in reversed(_classes):
            bpy.utils.unregister_class(cls)
        properties.unregister()
    bpy.utils.unregister_class(VantriPreferences)
