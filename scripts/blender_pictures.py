"""Pictures of the examples as Blender shows them after a simulation, rendered with
Workbench into docs/images/blender-NAME.png. Run by scripts/make-blender-pictures.sh:

    blender -b --factory-startup --python scripts/blender_pictures.py -- VANTRI_COMMAND

Each example is imported, simulated with the add-on and rendered at one frame from a camera
that frames the agents and the scene's shapes, looking down from the south-east.
"""

import math
import os
import sys

import bpy
from mathutils import Vector

SOURCE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(SOURCE, "blender"))
os.environ["VANTRI"] = os.path.abspath(sys.argv[sys.argv.index("--") + 1])
import vantri_blender  # noqa: E402
from vantri_blender import results, simulation  # noqa: E402

# (example, frame shown): a moment where the example shows what it is about.
PICTURES = [("flock", 120), ("target", 300), ("spline_loop", 300), ("obstacles", 250),
            ("crossing", 350), ("terrain", 300), ("guides", 40)]
COLOURS = [(0.90, 0.35, 0.25), (0.25, 0.55, 0.90), (0.95, 0.75, 0.20), (0.35, 0.75, 0.40),
           (0.70, 0.40, 0.85)]


def frame_scene(scene, frame):
    """A camera and a sun that show every instance and every mesh of the scene."""
    scene.frame_set(frame)
    depsgraph = bpy.context.evaluated_depsgraph_get()
    points = []
    for instance in depsgraph.object_instances:
        obj = instance.object
        source = obj.original.parent is not None and obj.original.parent.vantri.role == "generator"
        if obj.type in ("MESH", "CURVE") and (instance.is_instance or not source):
            points += [instance.matrix_world @ Vector(c) for c in obj.bound_box]
    low = Vector([min(p[i] for p in points) for i in range(3)])
    high = Vector([max(p[i] for p in points) for i in range(3)])
    centre, radius = (low + high) / 2, max((high - low).length / 2, 1.0)
    camera = bpy.data.objects.new("camera", bpy.data.cameras.new("camera"))
    camera.data.lens = 40
    direction = Vector((0.55, -0.75, 0.75)).normalized()
    # The picture is wider than high: the height limits what it shows.
    height = camera.data.sensor_width * 360 / 640
    fov = 2 * math.atan(height / 2 / camera.data.lens)
    camera.location = centre + direction * radius / math.sin(fov / 2) * 0.8
    camera.rotation_euler = (-direction).to_track_quat("-Z", "Y").to_euler()
    camera.data.clip_end = radius * 10
    scene.collection.objects.link(camera)
    scene.camera = camera
    # A floor under it all, for the shadows.
    bpy.ops.mesh.primitive_plane_add(size=radius * 6, location=(centre.x, centre.y, low.z - 0.01))
    bpy.context.view_layer.objects.active.color = (0.75, 0.75, 0.72, 1.0)


def obstacle_shapes(scene):
    """Meshes of the obstacles' spheres and boxes (an obstacle object itself is an empty
    whose shape is in its parameters)."""
    for obstacle in [o for o in scene.objects if o.vantri.role == "obstacle"]:
        params = obstacle.vantri.obstacle
        if params.CROWDOBSTACLE_SHAPE.endswith("SPHERE"):
            bpy.ops.mesh.primitive_uv_sphere_add(radius=params.CROWDOBSTACLE_RADIUS / 100)
        elif params.CROWDOBSTACLE_SHAPE.endswith("BOX"):
            bpy.ops.mesh.primitive_cube_add(size=1.0)
            size = (params.CROWDOBSTACLE_SIZE_X, params.CROWDOBSTACLE_SIZE_Z,
                    params.CROWDOBSTACLE_SIZE_Y)
            bpy.context.view_layer.objects.active.scale = [v / 100 for v in size]
        else:
            continue
        shape = bpy.context.view_layer.objects.active
        shape.parent = obstacle
        shape.color = (0.80, 0.30, 0.30, 1.0)


def render(name, frame, out):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    bpy.ops.vantri.import_scene(filepath=os.path.join(SOURCE, "examples", name + ".json"))
    scene = bpy.context.scene
    for generator in (o for o in scene.objects if o.vantri.role == "generator"):
        for source in generator.children:
            source.hide_render = True  # shown by its agents
    bpy.ops.vantri.simulate()
    obstacle_shapes(scene)
    for index, carrier in enumerate(bpy.data.collections[results.RESULT].objects):
        carrier.color = (*COLOURS[index % len(COLOURS)], 1.0)
    scene.world = bpy.data.worlds.new("sky")
    scene.world.color = (0.55, 0.62, 0.70)
    frame_scene(scene, frame)
    scene.render.engine = "BLENDER_WORKBENCH"
    shading = scene.display.shading
    shading.light, shading.color_type = "STUDIO", "OBJECT"
    shading.show_shadows = True
    shading.show_cavity = True
    scene.display.shadow_focus = 0.9
    scene.render.resolution_x, scene.render.resolution_y = 640, 360
    scene.render.resolution_percentage = 100
    scene.render.film_transparent = False
    scene.render.image_settings.color_mode = "RGB"
    scene.render.image_settings.compression = 100
    for curve in bpy.data.curves:
        curve.bevel_depth = 0.04  # a path, seen
    for obj in scene.objects:
        if obj.type == "CURVE":
            obj.color = (0.95, 0.85, 0.30, 1.0)
    scene.render.filepath = os.path.join(out, f"blender-{name}.png")
    bpy.ops.render.render(write_still=True)


vantri_blender.register()
for name, frame in PICTURES:
    render(name, frame, os.path.join(SOURCE, "docs", "images"))
import shutil  # noqa: E402
shutil.rmtree(simulation.base_folder(), ignore_errors=True)
vantri_blender.unregister()
