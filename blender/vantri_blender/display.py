"""How a Vantri object looks in the viewport. An obstacle's sphere or box is in its
parameters, not in a mesh, so its empty takes that shape (a box as a cube as large as its
largest side) and follows the parameters as they change."""

from . import space


def show_obstacle(obj):
    params = getattr(getattr(obj, "vantri", None), "obstacle", None)
    if params is None or obj.type != "EMPTY":
        return
    shape = getattr(params, "CROWDOBSTACLE_SHAPE", "")
    if shape.endswith("SPHERE"):
        obj.empty_display_type = "SPHERE"
        obj.empty_display_size = max(params.CROWDOBSTACLE_RADIUS * space.METRES_PER_UNIT, 0.01)
    elif shape.endswith("BOX"):
        obj.empty_display_type = "CUBE"
        largest = max(params.CROWDOBSTACLE_SIZE_X, params.CROWDOBSTACLE_SIZE_Y,
                      params.CROWDOBSTACLE_SIZE_Z)
        obj.empty_display_size = max(largest / 2 * space.METRES_PER_UNIT, 0.01)
    else:
        obj.empty_display_type = "PLAIN_AXES"
        obj.empty_display_size = 0.5


def obstacle_changed(group, context):
    """The update of an obstacle's parameters."""
    show_obstacle(group.id_data)
