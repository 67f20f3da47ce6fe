"""Panels: a Vantri panel in the object properties, with one sub-box per parameter group;
the Add > Vantri menu; File > Import/Export entries."""

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
        layout = self.layout
        obj = context.object
        layout.prop(obj.vantri, "role")
        role = properties.role_of(obj)
        if not role:
            return
        group = getattr(obj.vantri, role)
        lists = getattr(obj.vantri, role + "_lists")
        for heading, parameters in properties.group_symbols(role):
            box = layout.box()
            if heading is not None:
                box.label(text=heading.get("label") or heading["symbol"])
            for parameter in parameters:
                symbol = parameter["symbol"]
                row = box.row()
                row.active = not parameter.get("hidden", False)
                if parameter["type"] == "in/exclude list":
                    column = box.column()
                    column.label(text=parameter.get("label") or symbol)
                    line = column.row()
                    line.template_list("VANTRI_UL_objects", symbol, group, symbol, lists,
                                       symbol, rows=2)
                    side = line.column(align=True)
                    add = side.operator("vantri.list_edit", icon="ADD", text="")
                    add.symbol, add.remove = symbol, False
                    remove = side.operator("vantri.list_edit", icon="REMOVE", text="")
                    remove.symbol, remove.remove = symbol, True
                else:
                    row.prop(group, symbol)


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


def register():
    bpy.types.VIEW3D_MT_add.append(_add_menu)
    bpy.types.TOPBAR_MT_file_import.append(_import_menu)
    bpy.types.TOPBAR_MT_file_export.append(_export_menu)


def unregister():
    bpy.types.VIEW3D_MT_add.remove(_add_menu)
    bpy.types.TOPBAR_MT_file_import.remove(_import_menu)
    bpy.types.TOPBAR_MT_file_export.remove(_export_menu)
