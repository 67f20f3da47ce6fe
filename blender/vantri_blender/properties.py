"""Blender properties built from the plug-in's descriptions.

Each role gets a property group named VANTRI_PG_<role> with one property per parameter,
named by the parameter's symbol (CROWDGEN_COUNT_X), so that a scene file's `params` and the
Blender object say the same thing:

  integer        IntProperty with the description's min, max and step
  switch, bool   BoolProperty
  choice         EnumProperty: the options' symbols, labels and values
  real           FloatProperty; degree units shown as angles (stored in radians, as the
                 plug-in stores them), percent as a factor, lengths in scene units (cm)
  vector         FloatVectorProperty of three
  string         StringProperty
  link           PointerProperty to an object, offering the accepted types
  in/exclude     CollectionProperty of object references (an object list)
  spline curve   StringProperty holding the curve's knots as JSON ({"knots": [[x, y], ...]})

Every object gets `vantri` (VANTRI_PG_object): its role and one group per role.
"""

import json
import math

import bpy

from . import display

INT_MIN, INT_MAX = -2**31, 2**31 - 1

# The classes made from the descriptions, so that unregister can remove them.
_made_classes = []
_descriptions = None


def loaded():
    """The descriptions the properties were built from."""
    return _descriptions


def role_of(obj):
    """An object's Vantri role ("generator", ...), or "" for a plain object."""
    settings = getattr(obj, "vantri", None)
    return settings.role if settings is not None and settings.role != "NONE" else ""


def params_of(obj):
    role = role_of(obj)
    return getattr(obj.vantri, role) if role else None


def _accepts(accept, obj):
    """Whether `obj` is of a type in a link's or list's accepted types."""
    if not accept:
        return True
    role = role_of(obj)
    for t in accept:
        name = t.get("name", "")
        if name in ("any object", "instance"):
            return True
        if name == "null" and obj.type == "EMPTY" and not role:
            return True
        if name == "polygon" and obj.type == "MESH":
            return True
        if name == "spline" and obj.type == "CURVE":
            return True
        described = _descriptions.by_id.get(t["id"]) if _descriptions else None
        if described is not None and described["scene_type"] == role:
            return True
    return False


class VANTRI_PG_object_ref(bpy.types.PropertyGroup):
    """One entry of an object list."""
    object: bpy.props.PointerProperty(type=bpy.types.Object, name="Object")


def _tip(parameter):
    tip = parameter.get("label", "") or parameter["symbol"]
    unit = parameter.get("unit", "")
    if unit == "meter":
        tip += " (scene units: centimetres)"
    return f"{tip} [{parameter['symbol']}, id {parameter['id']}]"


def _default(parameter, fallback):
    value = parameter.get("default")
    return fallback if value is None else value


def make_property(parameter, update=None):
    """The Blender property of one parameter (an annotation), or None for a group;
    `update` is called when a value property changes."""
    kind = parameter["type"]
    name = parameter.get("label") or parameter["symbol"]
    tip = _tip(parameter)
    hook = {"update": update} if update else {}
    if kind == "integer":
        step = max(1, int(parameter.get("step", 1)))
        return bpy.props.IntProperty(
            name=name, description=tip, default=int(_default(parameter, 0)),
            min=int(parameter.get("min", INT_MIN)), max=int(parameter.get("max", INT_MAX)),
            step=step, **hook)
    if kind in ("switch", "bool"):
        return bpy.props.BoolProperty(name=name, description=tip,
                                      default=bool(_default(parameter, 0)), **hook)
    if kind == "choice":
        items = [(o["symbol"], o.get("label") or o["symbol"], o["symbol"], o["id"])
                 for o in parameter["options"]]
        default = _default(parameter, parameter["options"][0]["id"])
        default_symbol = next((o["symbol"] for o in parameter["options"] if o["id"] == default),
                              parameter["options"][0]["symbol"])
        return bpy.props.EnumProperty(name=name, description=tip, items=items,
                                      default=default_symbol, **hook)
    if kind == "real":
        unit = parameter.get("unit", "")
        options = dict(name=name, description=tip, default=float(_default(parameter, 0.0)),
                       precision=4)
        if "min" in parameter:
            options["min"] = parameter["min"]
        if "max" in parameter:
            options["max"] = parameter["max"]
        if "step" in parameter:
            # Blender's step is in hundredths of the unit shown.
            shown = math.degrees(parameter["step"]) if unit == "degree" else parameter["step"]
            options["step"] = max(1, int(round(shown * 100)))
        if unit == "degree":
            options["subtype"] = "ANGLE"
        elif unit == "percent":
            options["subtype"] = "FACTOR"
        return bpy.props.FloatProperty(**options, **hook)
    if kind == "vector":
        options = dict(name=name, description=tip, size=3,
                       default=tuple(float(v) for v in _default(parameter, [0.0, 0.0, 0.0])))
        if "min" in parameter:
            options["min"] = parameter["min"]
        if "max" in parameter:
            options["max"] = parameter["max"]
        return bpy.props.FloatVectorProperty(**options)
    if kind == "string":
        return bpy.props.StringProperty(name=name, description=tip,
                                        default=str(_default(parameter, "")))
    if kind == "link":
        accept = parameter.get("accept", [])
        return bpy.props.PointerProperty(type=bpy.types.Object, name=name, description=tip,
                                         poll=lambda self, obj: _accepts(accept, obj))
    if kind == "in/exclude list":
        return bpy.props.CollectionProperty(type=VANTRI_PG_object_ref, name=name,
                                            description=tip)
    if kind == "spline curve":
        return bpy.props.StringProperty(
            name=name, description=tip + ': {"knots": [[x, y], ...]}',
            default=json.dumps(_default(parameter, {"knots": []})))
    return None


# What a change of a role's parameters updates besides the value.
ROLE_UPDATES = {"obstacle": display.obstacle_changed}


def _make_role_group(descriptions, role):
    annotations = {}
    ui_annotations = {}
    for parameter in descriptions.parameters(role):
        prop = make_property(parameter, ROLE_UPDATES.get(role))
        if prop is None:
            continue
        annotations[parameter["symbol"]] = prop
        if parameter["type"] == "in/exclude list":
            ui_annotations[parameter["symbol"]] = bpy.props.IntProperty()
    group = type(f"VANTRI_PG_{role}", (bpy.types.PropertyGroup,),
                 {"__annotations__": annotations,
                  "__doc__": descriptions.by_role[role].get("title", role) + " parameters"})
    # The active row of each object list: the editor's state, kept apart from the parameters.
    ui = type(f"VANTRI_PG_{role}_lists", (bpy.types.PropertyGroup,),
              {"__annotations__": ui_annotations})
    return group, ui


def _role_items(descriptions):
    items = [("NONE", "None", "A plain object", 0)]
    for number, t in enumerate(descriptions.types, start=1):
        items.append((t["scene_type"], t.get("title") or t["name"], t["name"], number))
    return items


def register(descriptions):
    global _descriptions
    _descriptions = descriptions
    bpy.utils.register_class(VANTRI_PG_object_ref)
    _made_classes.append(VANTRI_PG_object_ref)
    annotations = {"role": bpy.props.EnumProperty(name="Vantri Role",
                                                  items=_role_items(descriptions),
                                                  default="NONE")}
    for role in descriptions.roles():
        group, ui = _make_role_group(descriptions, role)
        bpy.utils.register_class(group)
        bpy.utils.register_class(ui)
        _made_classes.extend((group, ui))
        annotations[role] = bpy.props.PointerProperty(type=group)
        annotations[role + "_lists"] = bpy.props.PointerProperty(type=ui)
    settings = type("VANTRI_PG_object", (bpy.types.PropertyGroup,),
                    {"__annotations__": annotations, "__doc__": "Vantri settings of an object"})
    bpy.utils.register_class(settings)
    _made_classes.append(settings)
    bpy.types.Object.vantri = bpy.props.PointerProperty(type=settings)


def unregister():
    global _descriptions
    if hasattr(bpy.types.Object, "vantri"):
        del bpy.types.Object.vantri
    for cls in reversed(_made_classes):
        bpy.utils.unregister_class(cls)
    _made_classes.clear()
    _descriptions = None


def group_symbols(role):
    """[(group entry or None, [parameters])] in description order, for the panels."""
    out = []
    current = {}
    for p in _descriptions.by_role[role]["parameters"]:
        if p["type"] == "group":
            current[p["symbol"]] = (p, [])
            out.append(current[p["symbol"]])
    loose = (None, [])
    for p in _descriptions.parameters(role):
        target = current.get(p.get("group"), loose)
        target[1].append(p)
    if loose[1]:
        out.insert(0, loose)
    return out
