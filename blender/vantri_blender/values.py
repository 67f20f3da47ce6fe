"""Parameter values between a scene file's `params` and the Blender properties.

A value read from a file is kept (in the object's stored entry) so that the export can write
the file's own text back while the Blender property still holds it: Blender keeps reals in
single precision, so "still holds it" means equal within that precision.
"""

import json
import math

# Relative difference under which two reals count as the same single-precision value.
REAL_TOLERANCE = 1e-6


def same_real(a, b):
    a, b = float(a), float(b)
    if a == b:
        return True
    if not (math.isfinite(a) and math.isfinite(b)):
        return False
    return abs(a - b) <= REAL_TOLERANCE * max(abs(a), abs(b), 1e-30)


def option_id(parameter, value):
    """A choice's value as the option's number, from a number or a symbol; None if neither."""
    for option in parameter["options"]:
        if value == option["symbol"] or (not isinstance(value, (str, bool))
                                         and isinstance(value, (int, float))
                                         and value == option["id"]):
            return option["id"]
    return None


def option_symbol(parameter, value):
    number = option_id(parameter, value)
    for option in parameter["options"]:
        if option["id"] == number:
            return option["symbol"]
    return None


def default_value(parameter):
    """The value a new object holds: what Init wrote, else the host's zero of the type."""
    value = parameter.get("default")
    kind = parameter["type"]
    if value is not None:
        return value
    if kind == "vector":
        return [0.0, 0.0, 0.0]
    if kind in ("integer", "switch", "choice"):
        return 0
    if kind == "bool":
        return False
    if kind == "real":
        return 0.0
    if kind == "string":
        return ""
    if kind == "in/exclude list":
        return []
    return None


def to_blender(group, parameter, value, objects_by_name):
    """Sets the property of `parameter` on `group` to a file's value. Returns a message when
    Blender cannot hold the value (it is then left as it was, or held within its range)."""
    symbol, kind = parameter["symbol"], parameter["type"]
    try:
        if kind == "integer":
            setattr(group, symbol, int(value))
            if getattr(group, symbol) != int(value):
                return (f"{symbol}: {value} is outside its range; Blender holds "
                        f"{getattr(group, symbol)}")
        elif kind in ("switch", "bool"):
            setattr(group, symbol, bool(value))
        elif kind == "choice":
            chosen = option_symbol(parameter, value)
            if chosen is None:
                return f"{symbol}: {value!r} is none of its options"
            setattr(group, symbol, chosen)
        elif kind == "real":
            setattr(group, symbol, float(value))
            if not same_real(getattr(group, symbol), value):
                return (f"{symbol}: {value} is outside its range; Blender holds "
                        f"{getattr(group, symbol)}")
        elif kind == "vector":
            setattr(group, symbol, tuple(float(v) for v in value))
            if not same_value(parameter, list(getattr(group, symbol)), value):
                return (f"{symbol}: {value} is outside its range; Blender holds "
                        f"{list(getattr(group, symbol))}")
        elif kind == "string":
            setattr(group, symbol, str(value))
        elif kind == "link":
            target = objects_by_name.get(value) if isinstance(value, str) else None
            if target is None:
                return f"{symbol}: no object '{value}'"
            setattr(group, symbol, target)
        elif kind == "in/exclude list":
            entries = getattr(group, symbol)
            entries.clear()
            missing = []
            for name in value:
                entry = entries.add()
                entry.object = objects_by_name.get(name)
                entry.name = str(name)  # kept for an entry whose object is not there
                if name not in objects_by_name:
                    missing.append(name)
            if missing:
                return f"{symbol}: no object '{missing[0]}'"
        elif kind == "spline curve":
            setattr(group, symbol, json.dumps(value))
    except (TypeError, ValueError, OverflowError) as error:
        return f"{symbol}: {error}"
    return None


def from_blender(group, parameter, name_of, missing=()):
    """The property's value as a file writes it. `name_of(obj)` gives the name an object has
    in the file; `missing` are names of no object written, which links and list entries
    without an object keep (from a file that named an object it does not have, or an
    object deleted since), so that the command says what is wrong."""
    symbol, kind = parameter["symbol"], parameter["type"]
    value = getattr(group, symbol)
    if kind == "integer":
        return int(value)
    if kind == "switch":
        return 1 if value else 0
    if kind == "bool":
        return bool(value)
    if kind == "choice":
        return value
    if kind == "real":
        return float(f"{value:.9g}")
    if kind == "vector":
        return [float(f"{v:.9g}") for v in value]
    if kind == "string":
        return value
    if kind == "link":
        return name_of(value) if value is not None else None
    if kind == "in/exclude list":
        return [name_of(entry.object) if entry.object is not None else entry.name
                for entry in value if entry.object is not None or entry.name in missing]
    if kind == "spline curve":
        try:
            return json.loads(value)
        except ValueError:
            return value  # the command names the mistake
    return None


def as_held(parameter, value):
    """What a Blender property makes of a file's value: integers and reals held within the
    description's range. A file value the property could not hold still counts as
    unchanged while the property holds what it made of it, so the export writes the file's
    own value, and the command, not the add-on, says what is wrong with it."""
    kind = parameter["type"]
    if kind == "vector" and isinstance(value, list):
        return [as_held(dict(parameter, type="real"), v) for v in value]
    if kind not in ("integer", "real") or isinstance(value, bool) or \
            not isinstance(value, (int, float)):
        return value
    low, high = parameter.get("min"), parameter.get("max")
    if low is not None and value < low:
        return low
    if high is not None and value > high:
        return high
    return value


def same_value(parameter, a, b):
    """Whether two values of a parameter, as a file writes them, are the same value."""
    kind = parameter["type"]
    if a is None or b is None:
        return a is b or (kind == "link" and not a and not b)
    try:
        if kind == "integer":
            return int(a) == int(b)
        if kind in ("switch", "bool"):
            return bool(a) == bool(b)
        if kind == "choice":
            return option_id(parameter, a) == option_id(parameter, b)
        if kind == "real":
            return same_real(a, b)
        if kind == "vector":
            return len(a) == len(b) == 3 and all(same_real(x, y) for x, y in zip(a, b))
        if kind == "spline curve":
            ka, kb = a.get("knots", []), b.get("knots", [])
            return len(ka) == len(kb) and all(
                len(p) == len(q) and all(same_real(x, y) for x, y in zip(p, q))
                for p, q in zip(ka, kb))
    except (TypeError, ValueError, AttributeError):
        return False
    return a == b
