"""A run's agents in Blender: the collection "Vantri result".

For each generator and each of its source objects (agent a shows source a mod n, as the
plug-in's instances do), one object whose mesh is a cloud of points, one per agent, and a
geometry nodes modifier that puts an instance of the source object on every point, turned
by the point's `vantri_rotation` attribute and left out where `vantri_present` is false.
The source objects are instanced, not copied. A frame change moves the points from the
run's arrays in memory (see agents.py, which reads each frame's rows the first time it is
shown) with foreach_set, so a crowd of 100,000 is a handful of objects and a few array
copies per frame.

The arrays live in memory; a saved .blend keeps the run's folder and reads it again when
it is opened.
"""

import os

import bpy

from . import agents, properties, scene_import, space

RESULT = "Vantri result"
# Object types whose geometry an instance shows.
GEOMETRY_TYPES = ("MESH", "CURVE", "SURFACE", "META", "FONT")
NODE_GROUP = "Vantri agents"

# The runs shown, by the result collection's name:
# {name: (Run, [(object name, generator name, source index, source count)])}
_shown = {}


def _new_socket(group, side, kind, name):
    """A socket of the node group's interface (Blender 4 has `interface`, 3.x inputs and
    outputs)."""
    if hasattr(group, "interface"):
        group.interface.new_socket(name, in_out=side, socket_type=kind)
    else:
        (group.inputs if side == "INPUT" else group.outputs).new(kind, name)


def _input_identifier(group, name):
    """The modifier's key of the node group's input `name`."""
    if hasattr(group, "interface"):
        return next(item.identifier for item in group.interface.items_tree
                    if getattr(item, "in_out", "") == "INPUT" and item.name == name)
    return group.inputs[name].identifier


def _node_group():
    """Instance on Points of an object, turned by a rotation attribute, only where present."""
    group = bpy.data.node_groups.get(NODE_GROUP)
    if group is not None:
        return group
    group = bpy.data.node_groups.new(NODE_GROUP, "GeometryNodeTree")
    for kind, name in (("NodeSocketGeometry", "Geometry"), ("NodeSocketObject", "Source"),
                       ("NodeSocketVector", "Scale")):
        _new_socket(group, "INPUT", kind, name)
    _new_socket(group, "OUTPUT", "NodeSocketGeometry", "Geometry")
    nodes, links = group.nodes, group.links
    given = nodes.new("NodeGroupInput")
    out = nodes.new("NodeGroupOutput")
    info = nodes.new("GeometryNodeObjectInfo")
    info.transform_space = "ORIGINAL"
    info.inputs["As Instance"].default_value = True
    rotation = nodes.new("GeometryNodeInputNamedAttribute")
    rotation.data_type = "FLOAT_VECTOR"
    rotation.inputs["Name"].default_value = "vantri_rotation"
    present = nodes.new("GeometryNodeInputNamedAttribute")
    present.data_type = "BOOLEAN"
    present.inputs["Name"].default_value = "vantri_present"
    instance = nodes.new("GeometryNodeInstanceOnPoints")
    links.new(given.outputs["Source"], info.inputs["Object"])
    links.new(given.outputs["Geometry"], instance.inputs["Points"])
    links.new(present.outputs["Attribute"], instance.inputs["Selection"])
    links.new(info.outputs["Geometry"], instance.inputs["Instance"])
    links.new(rotation.outputs["Attribute"], instance.inputs["Rotation"])
    links.new(given.outputs["Scale"], instance.inputs["Scale"])
    links.new(instance.outputs["Instances"], out.inputs["Geometry"])
    return group


def _body_box(generator, name):
    """A box of the generator's body size, shown for a source object without geometry (as
    scene.glb does)."""
    params = properties.params_of(generator)
    radii = [getattr(params, s, 0.0) if params else 0.0
             for s in ("CROWDGEN_SIZE_X", "CROWDGEN_SIZE_Y", "CROWDGEN_SIZE_Z")]
    radii = [r if r > 0 else 10.0 for r in radii]
    half = [r * space.METRES_PER_UNIT for r in space.scale_to_blender(radii)]
    mesh = bpy.data.meshes.new(name)
    corners = [(sx * half[0], sy * half[1], sz * half[2])
               for sx in (-1, 1) for sy in (-1, 1) for sz in (-1, 1)]
    faces = [(0, 1, 3, 2), (4, 6, 7, 5), (0, 4, 5, 1), (2, 3, 7, 6), (0, 2, 6, 4), (1, 5, 7, 3)]
    mesh.from_pydata(corners, [], faces)
    return bpy.data.objects.new(name, mesh)


def _sources(generator):
    """A generator's source objects, in the order the scene file has them."""
    return sorted(generator.children, key=scene_import.file_order)


def remove_result(scene):
    """Removes the collection "Vantri result" and what only it used."""
    collection = bpy.data.collections.get(RESULT)
    if collection is None:
        return
    shown = _shown.pop(collection.name, None)
    if shown is not None:
        shown[0].agents.close()
    for obj in list(collection.objects):
        mesh = obj.data
        bpy.data.objects.remove(obj)
        if mesh is not None and mesh.users == 0:
            bpy.data.meshes.remove(mesh)
    for obj in list(bpy.data.objects):
        if obj.get("vantri_body") and obj.users == 0:
            bpy.data.objects.remove(obj)
    bpy.data.collections.remove(collection)


def generators_by_name(scene):
    """{name in the scene file: generator object} of the scene's generators."""
    out = {}
    for obj in scene.objects:
        if properties.role_of(obj) == "generator":
            out[scene_import.file_name(obj)] = obj
    return out


def show_run(context, run):
    """Replaces the collection "Vantri result" with the run's agents and sets the scene's
    frames per second and frame range to the run's."""
    scene = context.scene
    remove_result(scene)
    collection = bpy.data.collections.new(RESULT)
    scene.collection.children.link(collection)
    collection["vantri_run"] = os.path.abspath(run.directory)
    if run.scene_path:
        collection["vantri_scene"] = os.path.abspath(run.scene_path)
    scene.render.fps = int(run.report.get("fps", scene.render.fps))
    scene.render.fps_base = 1.0
    scene.frame_start, scene.frame_end = run.frames[0], run.frames[-1]

    generators = generators_by_name(scene)
    group = _node_group()
    carriers = []
    for name, crowd in run.crowds.items():
        generator = generators.get(name)
        # A source without geometry (or a generator without sources) shows a body box.
        sources = [o if o.type in GEOMETRY_TYPES else None
                   for o in (_sources(generator) if generator is not None else [])] or [None]
        scale = (1.0, 1.0, 1.0)
        if generator is not None:
            scale = tuple(generator.matrix_world.to_scale())
        n = len(sources)
        for s, source in enumerate(sources):
            if source is None:
                source = _body_box(generator, f"{name} body")
                source["vantri_body"] = True
            mesh = bpy.data.meshes.new(f"{name} agents {s}")
            obj = bpy.data.objects.new(f"{name} agents" + (f" {s}" if n > 1 else ""), mesh)
            obj["vantri_generator"] = name
            obj["vantri_source_index"] = s
            obj["vantri_source_count"] = n
            modifier = obj.modifiers.new("Vantri agents", "NODES")
            modifier.node_group = group
            modifier[_input_identifier(group, "Source")] = source
            # The socket's property is a float array already: set its items, keep its type.
            for i in range(3):
                modifier[_input_identifier(group, "Scale")][i] = scale[i]
            collection.objects.link(obj)
            carriers.append((obj.name, name, s, n))
    _shown[collection.name] = (run, carriers)
    update_frame(scene)
    return collection


def _fit(mesh, count):
    """Gives a point cloud `count` points and the attributes the node group reads."""
    if len(mesh.vertices) != count:
        mesh.clear_geometry()
        mesh.vertices.add(count)
    if "vantri_rotation" not in mesh.attributes:
        mesh.attributes.new("vantri_rotation", "FLOAT_VECTOR", "POINT")
    if "vantri_present" not in mesh.attributes:
        mesh.attributes.new("vantri_present", "BOOLEAN", "POINT")


def update_frame(scene):
    """Moves every shown crowd's points to the scene's current frame."""
    for run, carriers in _shown.values():
        f = run.frame_index(scene.frame_current)
        try:
            run.load_frame(f)
        except agents.RunError as error:
            print(f"Vantri: {error}")
            continue
        for name, generator, s, n in carriers:
            obj = bpy.data.objects.get(name)
            crowd = run.crowds.get(generator)
            if obj is None or obj.type != "MESH" or crowd is None:
                continue
            picked = slice(s, crowd.agent_count, n)
            count = len(range(s, crowd.agent_count, n))
            mesh = obj.data
            _fit(mesh, count)
            mesh.vertices.foreach_set("co", crowd.positions[f, picked].ravel())
            mesh.attributes["vantri_rotation"].data.foreach_set(
                "vector", crowd.rotations[f, picked].ravel())
            mesh.attributes["vantri_present"].data.foreach_set(
                "value", crowd.present[f, picked].ravel())
            mesh.update()


@bpy.app.handlers.persistent
def _on_frame(scene, depsgraph=None):
    if _shown:
        update_frame(scene)


@bpy.app.handlers.persistent
def _on_load(_):
    """A saved result reads its run again when the .blend is opened."""
    for run, _ in _shown.values():
        run.agents.close()
    _shown.clear()
    collection = bpy.data.collections.get(RESULT)
    scene = bpy.context.scene
    if collection is None or scene is None or "vantri_run" not in collection:
        return
    try:
        run = agents.load_run(collection["vantri_run"], collection.get("vantri_scene"))
    except agents.RunError as error:
        print(f"Vantri: the result's run cannot be read again: {error}")
        return
    carriers = []
    for obj in collection.objects:
        if "vantri_generator" in obj:
            carriers.append((obj.name, obj["vantri_generator"], obj.get("vantri_source_index", 0),
                             obj.get("vantri_source_count", 1)))
    _shown[collection.name] = (run, carriers)
    update_frame(scene)


def register():
    bpy.app.handlers.frame_change_pre.append(_on_frame)
    bpy.app.handlers.load_post.append(_on_load)


def unregister():
    for handlers, function in ((bpy.app.handlers.frame_change_pre, _on_frame),
                               (bpy.app.handlers.load_post, _on_load)):
        if function in handlers:
            handlers.remove(function)
    for run, _ in _shown.values():
        run.agents.close()
    _shown.clear()
