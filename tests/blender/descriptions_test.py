"""The properties of each role are the parameters the command describes: the same names,
as many, the same defaults, ranges and choices; the panels show them (drawn here into a
recording layout, as headless Blender draws no window). And a scene the command refuses
gives a Blender error report that names the object and the parameter, and leaves the
previous result as it was."""

import json
import math
import os
import subprocess

import bpy

import support
from vantri_blender import results

support.start()
described = json.loads(subprocess.run([support.VANTRI, "describe", "--json"], check=True,
                                      capture_output=True, text=True).stdout)["types"]
support.check(sorted(t["scene_type"] for t in described)
              == ["behaviour", "blend", "generator", "obstacle", "world"],
              "the plug-in's five types are described")
support.empty_scene()
for t in described:
    role = t["scene_type"]
    # A new object of the role, as the Add > Vantri menu makes it.
    bpy.ops.vantri.add_object(role=role)
    obj = bpy.context.view_layer.objects.active
    group = getattr(obj.vantri, role)
    rna = {p.identifier: p for p in group.bl_rna.properties
           if p.identifier not in ("rna_type", "name")}
    parameters = [p for p in t["parameters"] if p["type"] != "group"]
    support.check(sorted(rna) == sorted(p["symbol"] for p in parameters),
                  f"{role}: properties {sorted(rna)}")
    for p in parameters:
        prop = rna.get(p["symbol"])
        if prop is None:
            continue
        where = f"{role}.{p['symbol']}"
        value = getattr(group, p["symbol"])
        default = p.get("default")
        kind = p["type"]
        if kind == "choice":
            items = [(i.identifier, i.name, i.value) for i in prop.enum_items]
            support.check(items == [(o["symbol"], o["label"], o["id"]) for o in p["options"]],
                          f"{where}: choices {items}")
            chosen = next(o["symbol"] for o in p["options"] if o["id"] == default)
            support.check(value == chosen, f"{where}: {value}, not {chosen}")
        elif kind in ("integer", "real"):
            expected = default or 0
            support.check(math.isclose(value, expected, rel_tol=1e-6, abs_tol=1e-12),
                          f"{where}: {value}, not {expected}")
            for bound, blender in (("min", prop.hard_min), ("max", prop.hard_max)):
                if bound in p:
                    support.check(math.isclose(blender, p[bound], rel_tol=1e-6),
                                  f"{where}: {bound} {blender}, not {p[bound]}")
        elif kind in ("switch", "bool"):
            support.check(value == bool(default), f"{where}: {value}, not {bool(default)}")
        elif kind == "vector":
            support.check(all(math.isclose(a, b, rel_tol=1e-6, abs_tol=1e-12)
                              for a, b in zip(value, default or [0, 0, 0])),
                          f"{where}: {tuple(value)}, not {default}")
        elif kind == "string":
            support.check(value == (default or ""), f"{where}: {value!r}")
        elif kind == "spline curve":
            support.check(json.loads(value) == default, f"{where}: {value}")
        elif kind == "link":
            support.check(prop.type == "POINTER" and value is None, f"{where}: not an empty link")
        elif kind == "in/exclude list":
            support.check(prop.type == "COLLECTION" and len(value) == 0,
                          f"{where}: not an empty list")
        else:
            support.check(False, f"{where}: a type the add-on does not know: {kind}")



class Layout:
    """Takes what a panel draws; the properties it shows must be there."""

    def __init__(self, shown):
        self.shown = shown

    def __getattr__(self, name):
        def draw(*arguments, **options):
            if name == "prop":
                support.check(hasattr(arguments[0], arguments[1]), f"no property {arguments[1]}")
                self.shown.add(arguments[1])
            if name == "template_list":
                support.check(hasattr(arguments[2], arguments[3]) and
                              hasattr(arguments[4], arguments[5]), f"no list {arguments[3]}")
                self.shown.add(arguments[3])
            return Layout(self.shown)
        return draw

    def __setattr__(self, name, value):
        if name != "shown":
            return
        super().__setattr__(name, value)


class Context:
    pass


panels = [p for p in bpy.types.Panel.__subclasses__() if p.__name__.startswith("VANTRI_PT_")]
for obj in bpy.data.objects:
    role = obj.vantri.role
    context, panel = Context(), Context()
    context.object = obj
    shown = set()
    panel.layout = Layout(shown)
    for kind in panels:
        if kind.bl_context == "object" and kind.poll(context):
            kind.draw(panel, context)
    wanted = {p["symbol"] for t in described if t["scene_type"] == role
              for p in t["parameters"] if p["type"] != "group"}
    support.check(shown == wanted | {"role"}, f"the panels of a {role} show {sorted(shown)}")

# A refused scene: the spline follower's spline is a mesh.
support.empty_scene()
bpy.ops.vantri.import_scene(filepath=os.path.join(support.SOURCE, "examples", "spline_loop.json"))
bpy.ops.vantri.simulate()
before = sorted(o.name for o in bpy.data.collections[results.RESULT].objects)
behaviour = bpy.data.objects["walk the loop"]
behaviour.vantri.behaviour.CROWDBEHAV_SPLINE_OBJECT = bpy.data.objects["walker"]
try:
    bpy.ops.vantri.simulate()
    support.check(False, "a refused scene gave no error")
except RuntimeError as error:
    message = str(error)
    print("reported:", message)
    support.check("walk the loop" in message and "CROWDBEHAV_SPLINE_OBJECT" in message,
                  f"the report names neither the object nor the parameter: {message}")
result = bpy.data.collections.get(results.RESULT)
support.check(result is not None and sorted(o.name for o in result.objects) == before,
              "the previous result did not stay as it was")
support.finish()
