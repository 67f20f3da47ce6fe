"""Panels: a Vantri panel in the object properties with the object's role, and under it one
sub-panel per parameter group of the role's description (open or closed as the description
says); the Add > Vantri menu; File > Import/Export entries."""

import bpy

from . import properties


class VANTRI_UL_objects(bpy.types.UIList):
    def draw_item(self, context, layout, data, item, icon, active_data, active_property,
                  index=0, flt_flag=0):
        layout.prop(item, "object", text="", emboss=False)


class VANTRI_PT_object(bpy.types.Panel):
    bl_label = "Vantri"
    bl_space_type = "PROPERTIES"
    bl_region_type = "WINDOW"
    bl_context = "object"

    @classmethod
    def poll(cls, context):
        return context.object is not None and properties.loaded() is not None

    def draw(self, context):
        self.layout.prop(context.object.vantri, "role")


def draw_parameters(layout, obj, role, parameters):
    group = getattr(obj.vantri, role)
    lists = getattr(obj.vantri, role + "_lists")
    for parameter in parameters:
        symbol = parameter["symbol"]
        if parameter["type"] == "in/exclude list":
            column = layout.column()
            column.label(text=parameter.get("label") or symbol)
            line = column.row()
            line.template_list("VANTRI_UL_objects", symbol, group, symbol, lists, symbol,
                               rows=2)
            side = line.column(align=True)
            add = side.operator("vantri.list_edit", icon="ADD", text="")
            add.symbol, add.remove = symbol, False
            remove = side.operator("vantri.list_edit", icon="REMOVE", text="")
            remove.symbol, remove.remove = symbol, True
        else:
            row = layout.row()
            # What the plug-in hides until the object shows it stays in reach, greyed.
            row.active = not parameter.get("hidden", False)
            row.prop(group, symbol)


def group_panel(role, index, heading, parameters):
    """A sub-panel of the Vantri panel for one parameter group of a role."""
    def poll(cls, context):
        return context.object is not None and properties.role_of(context.object) == role

    def draw(self, context):
        draw_parameters(self.layout, context.object, role, parameters)

    title = (heading.get("label") or heading["symbol"]) if heading else "Parameters"
    closed = heading is not None and not heading.get("open", False)
    return type(f"VANTRI_PT_{role}_{index}", (bpy.types.Panel,), {
        "bl_label": title, "bl_space_type": "PROPERTIES", "bl_region_type": "WINDOW",
        "bl_context": "object", "bl_parent_id": "VANTRI_PT_object",
        "bl_options": {"DEFAULT_CLOSED"} if closed else set(),
        "poll": classmethod(poll), "draw": draw})


class VANTRI_PT_scene(bpy.types.Panel):
    bl_label = "Vantri"
    bl_space_type = "PROPERTIES"
    bl_region_type = "WINDOW"
    bl_context = "scene"

    def draw(self, context):
        layout = self.layout
        layout.operator("vantri.simulate", icon="PLAY")
        row = layout.row()
        row.operator("vantri.import_scene", icon="IMPORT")
        row.operator("vantri.export_scene", icon="EXPORT")
        layout.operator("vantri.import_run", icon="FILE_FOLDER")


class VANTRI_MT_add(bpy.types.Menu):
    bl_idname = "VANTRI_MT_add"
    bl_label = "Vantri"

    def draw(self, context):
        descriptions = properties.loaded()
        for role in descriptions.roles() if descriptions else []:
            title = descriptions.by_role[role].get("title") or role
            self.layout.operator("vantri.add_object", text=title).role = role


def _add_menu(self, context):
    self.layout.menu(VANTRI_MT_add.bl_idname)


def _import_menu(self, context):
    self.layout.operator("vantri.import_scene", text="Vantri Scene (.json)")
    self.layout.operator("vantri.import_run", text="Vantri Run (agents.csv)")


def _export_menu(self, context):
    self.layout.operator("vantri.export_scene", text="Vantri Scene (.json)")


classes = (VANTRI_UL_objects, VANTRI_PT_object, VANTRI_PT_scene, VANTRI_MT_add)


# The group panels made from the descriptions.
_group_panels = []


def register():
    descriptions = properties.loaded()
    for role in descriptions.roles():
        for index, (heading, parameters) in enumerate(properties.group_symbols(role)):
            panel = group_panel(role, index, heading, parameters)
            bpy.utils.register_class(panel)
            _group_panels.append(panel)
    bpy.types.VIEW3D_MT_add.append(_add_menu)
    bpy.types.TOPBAR_MT_file_import.append(_import_menu)
    bpy.types.TOPBAR_MT_file_export.append(_export_menu)


def unregister():
    for panel in reversed(_group_panels):
        bpy.utils.unregister_class(panel)
    _group_panels.clear()
    bpy.types.VIEW3D_MT_add.remove(_add_menu)
    bpy.types.TOPBAR_MT_file_import.remove(_import_menu)
    bpy.types.TOPBAR_MT_file_export.remove(_export_menu)
