"""The add-on's operators: import and export a scene file, simulate, bring in a run, add an
object of a role, and edit object lists."""

import os

import bpy
from bpy_extras.io_utils import ExportHelper, ImportHelper

from . import (agents, command, display, properties, results, scene_export, scene_import,
               simulation)


def _descriptions():
    return properties.loaded()


class VANTRI_OT_import_scene(bpy.types.Operator, ImportHelper):
    """Bring in a Vantri scene file: its objects, parameters, shapes, tracks and frames"""
    bl_idname = "vantri.import_scene"
    bl_label = "Import Vantri Scene"
    bl_options = {"REGISTER", "UNDO"}
    filename_ext = ".json"
    filter_glob: bpy.props.StringProperty(default="*.json", options={"HIDDEN"})

    def execute(self, context):
        try:
            collection, warnings = scene_import.import_scene(context, self.filepath,
                                                             _descriptions())
        except scene_import.SceneFileError as error:
            self.report({"ERROR"}, str(error))
            return {"CANCELLED"}
        for warning in warnings:
            self.report({"WARNING"}, f"{self.filepath}: {warning}")
        self.report({"INFO"}, f"Imported {len(collection.all_objects)} objects from "
                              f"{self.filepath}")
        return {"FINISHED"}


class VANTRI_OT_export_scene(bpy.types.Operator, ExportHelper):
    """Write the scene's Vantri objects as a Vantri scene file"""
    bl_idname = "vantri.export_scene"
    bl_label = "Export Vantri Scene"
    filename_ext = ".json"
    filter_glob: bpy.props.StringProperty(default="*.json", options={"HIDDEN"})

    def execute(self, context):
        try:
            scene_export.export_scene(context, self.filepath, _descriptions())
        except scene_export.ExportError as error:
            self.report({"ERROR"}, str(error))
            return {"CANCELLED"}
        self.report({"INFO"}, f"Wrote {self.filepath}")
        return {"FINISHED"}


def _bring_in(operator, context, directory, scene_path=None, with_scene=False):
    """Shows a finished run; `with_scene` first brings in the scene it played when none of
    its generators is in the Blender scene, so that the agents show their source objects."""
    try:
        run = agents.load_run(directory, scene_path)
    except (agents.RunError, OSError, ValueError) as error:
        operator.report({"ERROR"}, str(error))
        return {"CANCELLED"}
    if with_scene and run.scene_path and not set(run.crowds) & set(
            results.generators_by_name(context.scene)):
        try:
            scene_import.import_scene(context, run.scene_path, _descriptions())
        except scene_import.SceneFileError as error:
            operator.report({"WARNING"}, f"the agents are shown as boxes: {error}")
    results.show_run(context, run)
    count = sum(c.agent_count for c in run.crowds.values())
    operator.report({"INFO"}, f"Vantri: {count} agents over {len(run.frames)} frames")
    return {"FINISHED"}


class VANTRI_OT_import_run(bpy.types.Operator):
    """Bring in a finished run (its folder with run.json and agents.csv) as the collection
    "Vantri result", with the scene it played when that is not in Blender yet"""
    bl_idname = "vantri.import_run"
    bl_label = "Import Vantri Run"
    bl_options = {"REGISTER", "UNDO"}
    directory: bpy.props.StringProperty(subtype="DIR_PATH")
    scene: bpy.props.StringProperty(
        name="Scene File", subtype="FILE_PATH",
        description="The scene file the run played (default: the one run.json names)")

    def invoke(self, context, event):
        context.window_manager.fileselect_add(self)
        return {"RUNNING_MODAL"}

    def execute(self, context):
        return _bring_in(self, context, bpy.path.abspath(self.directory),
                         bpy.path.abspath(self.scene) if self.scene else None, with_scene=True)


class VANTRI_OT_simulate(bpy.types.Operator):
    """Write the scene, play it with the vantri command and bring the agents back into the
    collection "Vantri result" (Esc cancels)"""
    bl_idname = "vantri.simulate"
    bl_label = "Simulate Crowd"

    _timer = None
    _simulation = None
    # One simulation at a time: they would write the same scene file and results.
    running = False

    @classmethod
    def poll(cls, context):
        return not VANTRI_OT_simulate.running

    def _start(self, context):
        try:
            vantri = command.find_command()
        except command.CommandError as error:
            self.report({"ERROR"}, str(error))
            return False
        base = simulation.base_folder()
        # The scene played becomes scene.json only when the run succeeds: scene.json always
        # goes with the results in run/.
        scene_path = os.path.join(base, "pending.json")
        self._played_path = os.path.join(base, "scene.json")
        try:
            scene_export.export_scene(context, scene_path, _descriptions())
        except scene_export.ExportError as error:
            self.report({"ERROR"}, str(error))
            return False
        self._scene_path = scene_path
        try:
            self._simulation = simulation.Simulation(vantri, scene_path,
                                                     os.path.join(base, "run"))
        except OSError as error:
            self.report({"ERROR"}, f"{vantri} could not start: {error}")
            return False
        return True

    def _finish(self, context, code):
        messages = self._simulation.errors()
        self._simulation.close()
        if code != 0:
            if os.path.exists(self._scene_path):
                os.remove(self._scene_path)
            # The command's own messages name the file, the object and the parameter.
            text = "; ".join(messages[-3:]) if messages else f"exit code {code}"
            self.report({"ERROR"}, f"Vantri: the simulation failed: {text}")
            return {"CANCELLED"}
        os.replace(self._scene_path, self._played_path)
        return _bring_in(self, context, self._simulation.out, self._played_path)

    def execute(self, context):
        if not self._start(context):
            return {"CANCELLED"}
        return self._finish(context, self._simulation.wait())

    def invoke(self, context, event):
        if bpy.app.background:
            return self.execute(context)
        if not self._start(context):
            return {"CANCELLED"}
        wm = context.window_manager
        self._timer = wm.event_timer_add(0.1, window=context.window)
        wm.progress_begin(0, 100)
        wm.modal_handler_add(self)
        VANTRI_OT_simulate.running = True
        return {"RUNNING_MODAL"}

    def _end_modal(self, context):
        VANTRI_OT_simulate.running = False
        if self._timer is None:
            return
        wm = context.window_manager
        wm.event_timer_remove(self._timer)
        self._timer = None
        wm.progress_end()
        context.workspace.status_text_set(None)

    def modal(self, context, event):
        try:
            return self._step(context, event)
        except Exception as error:  # never leave the modal state (and the lock) behind
            self._simulation.cancel()
            self._end_modal(context)
            self.report({"ERROR"}, f"Vantri: the simulation stopped: {error}")
            return {"CANCELLED"}

    def _step(self, context, event):
        if event.type == "ESC":
            self._simulation.cancel()
            if os.path.exists(self._scene_path):
                os.remove(self._scene_path)
            self._end_modal(context)
            self.report({"WARNING"}, "Vantri: simulation cancelled; the previous result stays")
            return {"CANCELLED"}
        if event.type != "TIMER":
            return {"PASS_THROUGH"}
        code = self._simulation.poll()
        sim = self._simulation
        if sim.total:
            context.window_manager.progress_update(100 * sim.done // sim.total)
            context.workspace.status_text_set(
                f"Vantri: simulating frame {sim.done} of {sim.total} (Esc cancels)")
        if code is None:
            return {"RUNNING_MODAL"}
        self._end_modal(context)
        return self._finish(context, code)


class VANTRI_OT_add_object(bpy.types.Operator):
    """Add a Vantri object"""
    bl_idname = "vantri.add_object"
    bl_label = "Add Vantri Object"
    bl_options = {"REGISTER", "UNDO"}
    role: bpy.props.StringProperty()

    def execute(self, context):
        descriptions = _descriptions()
        if self.role not in descriptions.by_role:
            self.report({"ERROR"}, f"Vantri: no object type '{self.role}'")
            return {"CANCELLED"}
        title = descriptions.by_role[self.role].get("title") or self.role
        obj = bpy.data.objects.new(title, None)
        obj.empty_display_type = scene_import.ROLE_DISPLAY.get(self.role, "PLAIN_AXES")
        obj.empty_display_size = 0.5
        obj.rotation_mode = "YXZ"
        obj.vantri.role = self.role
        display.show_obstacle(obj)
        obj.location = context.scene.cursor.location
        context.collection.objects.link(obj)
        for other in context.selected_objects:
            other.select_set(False)
        obj.select_set(True)
        context.view_layer.objects.active = obj
        return {"FINISHED"}


class VANTRI_OT_list_edit(bpy.types.Operator):
    """Add the selected objects to an object list, or remove its active entry"""
    bl_idname = "vantri.list_edit"
    bl_label = "Edit Object List"
    bl_options = {"REGISTER", "UNDO"}
    symbol: bpy.props.StringProperty()
    remove: bpy.props.BoolProperty()

    def execute(self, context):
        obj = context.object
        role = properties.role_of(obj)
        if not role:
            return {"CANCELLED"}
        entries = getattr(getattr(obj.vantri, role), self.symbol)
        lists = getattr(obj.vantri, role + "_lists")
        if self.remove:
            index = getattr(lists, self.symbol)
            if 0 <= index < len(entries):
                entries.remove(index)
                setattr(lists, self.symbol, max(0, index - 1))
            return {"FINISHED"}
        for other in context.selected_objects:
            if other is not obj:
                entries.add().object = other
        if len(context.selected_objects) <= 1:
            entries.add()
        return {"FINISHED"}


classes = (VANTRI_OT_import_scene, VANTRI_OT_export_scene, VANTRI_OT_import_run,
           VANTRI_OT_simulate, VANTRI_OT_add_object, VANTRI_OT_list_edit)
