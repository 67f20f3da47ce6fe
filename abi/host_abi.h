/*
 * The boundary between the Vantri plug-in and its host: plain C, the only header that both
 * sides include.
 *
 * The host hands the plug-in one HostApi record (p1 of action 1 of c4d_main). It begins with
 * the API version and the crash-handler slot, then points at one service table per area.
 * Every table begins with its own size in bytes. A table is never changed in place: new
 * services are added at its end, so a plug-in built against a shorter table still works with
 * a host that offers a longer one, and a plug-in checks the size before it relies on an entry.
 *
 * Host objects are opaque handles. A handle stays valid as long as its entry says; the
 * plug-in never frees a handle that it does not own. Plain values (vectors, matrices, times,
 * description ids, parameter data, dates) are standard-layout structs passed by pointer.
 *
 * Nothing here throws: failures are return values (null, 0, -1).
 */
#ifndef VANTRI_HOST_ABI_H
#define VANTRI_HOST_ABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/** The API version of this header. A host below 12000 is refused by the plug-in. */
#define VT_API_VERSION 12000

/* ---------------------------------------------------------------- plain values */

/** Three 64-bit floats: a point, a direction, or a rotation (heading, pitch, bank). */
typedef struct VtVector {
    double x, y, z;
} VtVector;

/** An affine transform: p maps to off + p.x*v1 + p.y*v2 + p.z*v3. */
typedef struct VtMatrix {
    VtVector off, v1, v2, v3;
} VtMatrix;

/** A document time as a fraction of seconds: numerator / denominator. */
typedef struct VtTime {
    double numerator;
    double denominator;
} VtTime;

/** A local calendar date and time with whole seconds. */
typedef struct VtDateTime {
    int32_t year, month, day, hour, minute, second;
} VtDateTime;

/** One level of a parameter id: the id, its data type (0 when not given) and creator. */
typedef struct VtDescLevel {
    int32_t id;
    int32_t dtype;
    int32_t creator;
} VtDescLevel;

#define VT_DESCID_MAX_DEPTH 3

/** A parameter id of up to three levels; the crowd code uses one level. */
typedef struct VtDescId {
    int32_t depth;
    VtDescLevel level[VT_DESCID_MAX_DEPTH];
} VtDescId;

/* Data types of parameter values and description entries (the host's numbers). */
#define VT_DTYPE_NONE 0
#define VT_DTYPE_GROUP 1
#define VT_DTYPE_LONG 15
#define VT_DTYPE_REAL 19
#define VT_DTYPE_TIME 22
#define VT_DTYPE_VECTOR 23
#define VT_DTYPE_STRING 130
#define VT_DTYPE_LINK 133
#define VT_DTYPE_BOOL 400006001
/* Custom data types. */
#define VT_CUSTOMDATA_INEXCLUDE 1009290
#define VT_CUSTOMDATA_SPLINE 1009060

/* Interpolation kinds of a spline-curve knot. */
#define VT_SPLINE_KNOT_BEZIER 0
#define VT_SPLINE_KNOT_LINEAR 1
#define VT_SPLINE_KNOT_CUBIC 2

/** One knot of a spline curve (custom data VT_CUSTOMDATA_SPLINE): its position (x along the
 *  curve, y the value, z unused), the tangents on either side relative to the position, the
 *  interpolation kind of the segment that follows (VT_SPLINE_KNOT_*) and editing flags. */
typedef struct VtSplineKnot {
    VtVector position;
    VtVector tangent_left;
    VtVector tangent_right;
    int32_t interpolation;
    int32_t flags;
} VtSplineKnot;

/* ---------------------------------------------------------------- handles */

typedef struct VtAtom VtAtom;                   /* a scene node: object or document */
typedef struct VtContainer VtContainer;         /* a parameter container */
typedef struct VtCustomData VtCustomData;       /* an in/exclude list, a spline curve, ... */
typedef struct VtLink VtLink;                   /* a weak link to an atom */
typedef struct VtAliasTrans VtAliasTrans;       /* link translator for cloned hierarchies */
typedef struct VtAtomArray VtAtomArray;         /* an ordered list of atoms (not owned) */
typedef struct VtPriorityList VtPriorityList;   /* the execution pipeline being collected */
typedef struct VtHierarchyHelp VtHierarchyHelp; /* cache-building context */
typedef struct VtDescription VtDescription;     /* a description being built */
typedef struct VtResource VtResource;           /* a plug-in's loaded resources */
typedef struct VtBitmap VtBitmap;               /* a decoded image */
typedef struct VtThread VtThread;               /* the host thread running a call */
typedef struct VtDraw VtDraw;                   /* a viewport being drawn */
typedef struct VtDrawHelp VtDrawHelp;           /* per-object drawing context */
typedef struct VtClipMap VtClipMap;             /* a small picture painted with text */
typedef struct VtNodeData VtNodeData;           /* a plug-in object instance; opaque to host */
typedef struct VtSplineLength VtSplineLength;   /* arc-length table of one spline segment */
typedef struct VtRayCollider VtRayCollider;     /* rays against one object's polygons */

/** A parameter value. The string, link and custom members are handles whose ownership the
 *  function that passes the value states. Booleans travel as VT_DTYPE_LONG 0 or 1. */
typedef struct VtData {
    int32_t type; /* VT_DTYPE_* or a custom data type id; VT_DTYPE_NONE for no value */
    int32_t reserved;
    union {
        int32_t integer;
        double real;
        VtVector vector;
        VtTime time;
        const char* string;
        VtAtom* link;
        VtCustomData* custom;
    } value;
} VtData;

/* ---------------------------------------------------------------- service tables */

/** Memory, console and clock. */
typedef struct VtSystemTable {
    uint32_t size;
    /** A zero-filled block of `bytes`, or null when memory is short (or the host was told to
     *  fail this allocation). Owned by the caller until passed to free. */
    void* (*alloc)(size_t bytes);
    /** Releases a block from alloc; null is ignored. */
    void (*free)(void* block);
    /** Prints one line to the host's console; the text is copied. */
    void (*print)(const char* line);
    /** The host's local date and time. */
    void (*date_time_now)(VtDateTime* out);
} VtSystemTable;

/** Resources (string tables and descriptions) and the strings in them. */
typedef struct VtResourceTable {
    uint32_t size;
    /** Loads `plugin_folder`/res: string tables and description resources. Null when the
     *  folder holds no valid resources. Owned by the caller until passed to release; the
     *  descriptions it holds are known to the host while it is loaded. */
    VtResource* (*load)(const char* plugin_folder);
    void (*release)(VtResource* resource);
    /** Copies string `id` into `buffer` (at most capacity-1 bytes, NUL-terminated) and
     *  returns its full length in bytes, or -1 when the table has no such string. */
    int32_t (*load_string)(const VtResource* resource, int32_t id, char* buffer, int32_t capacity);
} VtResourceTable;

/** Parameters, messages, names and the node tree of any atom. */
typedef struct VtAtomTable {
    uint32_t size;
    /** The atom's type id (an object type such as 5140, or a plug-in id). */
    int32_t (*get_type)(VtAtom* atom);
    /** Reads a parameter. A string in `out` stays valid until the atom's next parameter
     *  call; a custom value is a new copy owned by the caller (release with
     *  VtContainerTable.custom_free); a link is the target atom or null. 1 on success. */
    int32_t (*get_parameter)(VtAtom* atom, const VtDescId* id, VtData* out, int32_t flags);
    /** Writes a parameter; the host copies the value (strings and custom data included).
     *  1 on success. */
    int32_t (*set_parameter)(VtAtom* atom, const VtDescId* id, const VtData* value, int32_t flags);
    /** Sends message `type` to the atom's object code; returns what that code returns (1 for
     *  an atom without plug-in code). */
    int32_t (*send_message)(VtAtom* atom, int32_t type, void* data);
    /** The atom's parameter container, owned by the atom; null for an atom without one. */
    VtContainer* (*get_data_instance)(VtAtom* atom);
    /** Retired: always null; the slot keeps the later entries in place. */
    void (*retired_get_name)(void);
    /** Sets the name; the text is copied. 1 on success. */
    int32_t (*set_name)(VtAtom* atom, const char* name);
    /** The document the atom belongs to, or null. Owned by the host. */
    VtAtom* (*get_document)(VtAtom* atom);
    /** Tree navigation; each result is owned by the host, or null. */
    VtAtom* (*get_down)(VtAtom* atom);
    VtAtom* (*get_next)(VtAtom* atom);
    /** Retired: always null; the slot keeps the later entries in place. */
    void (*retired_get_up)(void);
    /** Moves `atom` to be the last child of `parent` (removing it from any tree first). The
     *  tree of `parent` then owns it. */
    void (*insert_under_last)(VtAtom* atom, VtAtom* parent);
} VtAtomTable;

/** Objects, documents, links, alias translators, atom arrays and the execution pipeline. */
typedef struct VtObjectTable {
    uint32_t size;
    /** A new object of host type `type` (5140 null, 5126 instance, or a registered plug-in
     *  type), outside any document; null on failure. Owned by the caller until inserted in a
     *  tree or returned as generated output; release with free. */
    VtAtom* (*alloc)(int32_t type);
    /** Frees an object that the caller owns, with its children. */
    void (*free)(VtAtom* object);
    /** Matrices: global, local (relative to the parent), and the parent's global. */
    void (*get_mg)(VtAtom* object, VtMatrix* out);
    void (*get_ml)(VtAtom* object, VtMatrix* out);
    void (*set_ml)(VtAtom* object, const VtMatrix* m);
    void (*get_up_mg)(VtAtom* object, VtMatrix* out);
    /** Position, rotation (heading, pitch, bank in radians) and scale relative to the
     *  parent. Setting the rotation rebuilds the axes of the local matrix. */
    void (*get_rel_pos)(VtAtom* object, VtVector* out);
    void (*set_rel_pos)(VtAtom* object, const VtVector* v);
    void (*get_rel_rot)(VtAtom* object, VtVector* out);
    void (*set_rel_rot)(VtAtom* object, const VtVector* v);
    /** Retired: always null; the slot keeps the later entries in place. */
    void (*retired_get_rel_scale)(void);
    /** Half the size of the object's bounding box. */
    void (*get_rad)(VtAtom* object, VtVector* out);
    /** The object's generated output, owned by the host; null when none. */
    VtAtom* (*get_cache)(VtAtom* object);
    /** Called by a generator `op` on its child `child`: sets *dirty when the children (and
     *  anything below them) changed since op's last output, or op has no output yet. Returns
     *  op's current output when not dirty (owned by the host), else a new clone of the
     *  child (with all_children, of the child and its following siblings, under one null),
     *  owned by the caller. Null on failure. */
    VtAtom* (*get_and_check_hierarchy_clone)(VtAtom* op, VtHierarchyHelp* hh, VtAtom* child,
                                             int32_t flags, int32_t* dirty, VtAliasTrans* trans,
                                             int32_t all_children);
    /** Adds `object` to the pipeline being collected. */
    void (*priority_add)(VtPriorityList* list, VtAtom* object, int32_t priority, int32_t flags);

    /** Document time, first and last time, frame rate. */
    void (*doc_get_time)(VtAtom* document, VtTime* out);
    void (*doc_get_min_time)(VtAtom* document, VtTime* out);
    /** Retired: always null; the slot keeps the later entries in place. */
    void (*retired_doc_get_max_time)(void);
    int32_t (*doc_get_fps)(VtAtom* document);
    /** 1 when the state `what` holds (0: the animation is running). */
    int32_t (*check_is_running)(int32_t what);

    /** Weak links: null on failure; owned by the caller until link_free. */
    VtLink* (*link_alloc)(void);
    void (*link_free)(VtLink* link);
    void (*link_set)(VtLink* link, VtAtom* target);
    /** The target, or null when it was freed or is not in `document` (null: any). */
    VtAtom* (*link_get)(VtLink* link, VtAtom* document);

    /** Alias translators: null on failure; owned by the caller until alias_free. */
    VtAliasTrans* (*alias_alloc)(void);
    int32_t (*alias_init)(VtAliasTrans* trans, VtAtom* document);
    void (*alias_translate)(VtAliasTrans* trans, int32_t all);
    void (*alias_free)(VtAliasTrans* trans);

    /** Atom arrays hold atoms they do not own. Null on failure; owned by the caller. */
    VtAtomArray* (*array_alloc)(void);
    void (*array_free)(VtAtomArray* array);
    /** 1 on success, 0 when memory is short. */
    int32_t (*array_append)(VtAtomArray* array, VtAtom* atom);
    int32_t (*array_get_count)(const VtAtomArray* array);
    VtAtom* (*array_get_index)(const VtAtomArray* array, int32_t index);
    /** Removes the first occurrence of `atom`; 1 when found. */
    int32_t (*array_remove)(VtAtomArray* array, VtAtom* atom);
} VtObjectTable;

/** Parameter containers and custom data. */
typedef struct VtContainerTable {
    uint32_t size;
    /** Typed getters: an integer getter truncates a real entry toward zero, a real getter
     *  widens an integer entry, a bool is "non-zero". A missing entry gives the preset. */
    int32_t (*get_int)(const VtContainer* bc, int32_t id, int32_t preset);
    double (*get_real)(const VtContainer* bc, int32_t id, double preset);
    int32_t (*get_bool)(const VtContainer* bc, int32_t id, int32_t preset);
    /** A missing or non-vector entry gives (0, 0, 0). */
    void (*get_vector)(const VtContainer* bc, int32_t id, VtVector* out);
    /** The linked atom if it still exists and lies in `document` (null: any); else null. */
    VtAtom* (*get_link)(const VtContainer* bc, int32_t id, VtAtom* document);
    /** The entry's custom data of the given type, owned by the container and valid until the
     *  entry changes; null when missing or of another type. */
    VtCustomData* (*get_custom)(const VtContainer* bc, int32_t id, int32_t type);
    /** Reads an entry with the ownership of VtAtomTable.get_parameter; 1 when present. */
    int32_t (*get_data)(const VtContainer* bc, int32_t id, VtData* out);
    /** Writes an entry; the value is copied. 1 on success. */
    int32_t (*set_data)(VtContainer* bc, int32_t id, const VtData* value);

    /** A new, empty custom value of a registered type; null on failure. Owned by the caller
     *  until custom_free. */
    VtCustomData* (*custom_alloc)(int32_t type);
    void (*custom_free)(VtCustomData* data);
    VtCustomData* (*custom_clone)(const VtCustomData* data);
    /** Retired: always null; the slot keeps the later entries in place. */
    void (*retired_custom_get_type)(void);

    /** In/exclude lists (VT_CUSTOMDATA_INEXCLUDE). The number of entries, objects that no
     *  longer exist included; 0 for null or another type. */
    int32_t (*in_exclude_get_count)(const VtCustomData* list);
    /** Entry `index` if that object still exists and lies in `document` (null: in any
     *  document), owned by the host; null otherwise, out of range, or for another type. */
    VtAtom* (*in_exclude_get_object)(const VtCustomData* list, int32_t index, VtAtom* document);

    /** Spline curves (VT_CUSTOMDATA_SPLINE). Replaces the knots by `count` linear knots from
     *  (0, 0) to (1, 1) on y = x (one knot: at (0, 0)). 1 on success; 0 (curve unchanged) for
     *  a negative or too large count, null or another type. */
    int32_t (*spline_make_linear)(VtCustomData* curve, int32_t count);
    /** The number of knots; 0 for null or another type. */
    int32_t (*spline_get_knot_count)(const VtCustomData* curve);
    /** Knot `index`, owned by the curve and changeable in place; valid until the curve's
     *  knots are replaced or the curve is freed. Null when out of range or another type. */
    VtSplineKnot* (*spline_get_knot)(VtCustomData* curve, int32_t index);
    /** The curve's point at x = t: (t, y, 0), y linear between knots ordered by x and held at
     *  the end knots' values outside them; y = 0 for an empty curve, null or another type. */
    void (*spline_get_point)(const VtCustomData* curve, double t, VtVector* out);
} VtContainerTable;

/** Descriptions: the parameter layout that the host shows for an object. */
typedef struct VtDescriptionTable {
    uint32_t size;
    /** Loads the description resource registered for object type `type` into `desc`. 1 on
     *  success. */
    int32_t (*load)(VtDescription* desc, int32_t type);
    /** The single parameter id the host asks for, or null when it builds the whole
     *  description. Owned by the description. */
    const VtDescId* (*get_single_id)(VtDescription* desc);
    /** The attribute container of parameter `id` (owned by the description), or null. */
    VtContainer* (*get_parameter_i)(VtDescription* desc, const VtDescId* id, VtAtomArray* array);
} VtDescriptionTable;

/** Spline objects and their sampling. A spline has one or more segments; each segment is
 *  addressed by a natural parameter from 0 at its start to 1 at its end. */
typedef struct VtSplineTable {
    uint32_t size;
    /** 1 when the object is a spline object, else 0 (also for null). */
    int32_t (*is_spline)(VtAtom* object);
    /** The number of segments the spline records: 0 for a spline whose points form one
     *  segment without segment information, and for an object that is not a spline. */
    int32_t (*get_segment_count)(VtAtom* spline);
    /** The number of points of all segments; 0 for an object that is not a spline. */
    int32_t (*get_point_count)(VtAtom* spline);
    /** The point (in the spline's own space) and the unit tangent at natural parameter w
     *  (clamped to [0, 1]) of `segment`. 1 on success; 0 (out untouched) when the segment
     *  does not exist or the object is not a spline. */
    int32_t (*get_point)(VtAtom* spline, double w, int32_t segment, VtVector* out);
    int32_t (*get_tangent)(VtAtom* spline, double w, int32_t segment, VtVector* out);

    /** An empty arc-length table, or null on failure; owned by the caller until
     *  length_free. */
    VtSplineLength* (*length_alloc)(void);
    void (*length_free)(VtSplineLength* table);
    /** Measures `segment` of `spline` (a segment-less spline's points are segment 0). The
     *  table keeps what it measured, even if the spline changes later. 1 on success; 0 (the
     *  table empty) when the segment does not exist or the object is not a spline. */
    int32_t (*length_init)(VtSplineLength* table, VtAtom* spline, int32_t segment);
    /** The segment's arc length; 0 for an empty table. */
    double (*length_get)(const VtSplineLength* table);
    /** The natural parameter at which the arc length from the segment's start is u (clamped
     *  to [0, 1]) times the segment's length; 0 for an empty table. */
    double (*length_uniform_to_natural)(const VtSplineLength* table, double u);
} VtSplineTable;

/** The nearest hit of a ray: the point, its distance from the ray's start, the unit normal
 *  of the face hit (all in the object's own space), the face's index, and 1 when the ray met
 *  the face from behind. */
typedef struct VtRayHit {
    VtVector position;
    double distance;
    VtVector face_normal;
    int32_t face;
    int32_t backface;
} VtRayHit;

/** The polygon ray collider: rays in an object's own space against its polygons. */
typedef struct VtRayTable {
    uint32_t size;
    /** A new collider, or null on failure; owned by the caller until free. */
    VtRayCollider* (*alloc)(void);
    void (*free)(VtRayCollider* collider);
    /** Prepares rays against `object` (a polygon object or a primitive). The acceleration
     *  structure is kept and reused while the object's geometry is unchanged, unless `force`
     *  is 1. 1 on success; 0 for an object without polygons or when memory is short, and
     *  every ray fails until the next successful init. */
    int32_t (*init)(VtRayCollider* collider, VtAtom* object, int32_t force);
    /** Casts a ray from `start` along `direction` (normalised by the host) up to `length`.
     *  With only_test 1 it stops at the first hit found. 1 when it hit something. */
    int32_t (*intersect)(VtRayCollider* collider, const VtVector* start, const VtVector* direction,
                         double length, int32_t only_test);
    /** The nearest hit of the last intersect. 1 on success; 0 when it hit nothing. */
    int32_t (*get_nearest)(VtRayCollider* collider, VtRayHit* out);
} VtRayTable;

/** Viewport drawing. An object draws only during its draw callback, into the viewport and
 *  with the drawing context that the callback receives; both are the host's and valid only
 *  during that call. Points are in the space of the drawing matrix; colours are r, g, b in
 *  0..1. */
typedef struct VtDrawTable {
    uint32_t size;
    /** Sets the drawing matrix that later points are given in, for `object` (the object being
     *  drawn, or another one it draws for). The matrix is copied. */
    void (*set_matrix)(VtDraw* draw, VtAtom* object, const VtMatrix* m);
    /** Sets the colour of later lines and circles; `flags` are kept with it. */
    void (*set_pen)(VtDraw* draw, const VtVector* colour, int32_t flags);
    /** A line from `from` to `to`; flags: VT_DRAW_LINE_*. */
    void (*line)(VtDraw* draw, const VtVector* from, const VtVector* to, int32_t flags);
    /** The ellipse through the ends of m's first two axes around m.off (a circle when they
     *  are equal and square): the points off + cos(t) v1 + sin(t) v2. */
    void (*circle)(VtDraw* draw, const VtMatrix* m);
    /** The box of the points off + (+-size) v1 + (+-size) v2 + (+-size) v3 in `colour`: its
     *  twelve edges when `wire` is 1, else its faces. */
    void (*box)(VtDraw* draw, const VtMatrix* m, double size, const VtVector* colour, int32_t wire);
    /** A polygon of `count` (3 or 4) vertices showing `bitmap`: positions, vertex colours,
     *  normals and texture coordinates (u, v, 0), each an array of `count`. Texture coordinates
     *  run from (0, 0) at the bitmap's bottom-left pixel to (1, 1) at its top-right.
     *  alpha_mode: VT_DRAW_ALPHA_*; flags: VT_DRAW_TEXTURE_*. The host copies the pixels, so
     *  the bitmap may be freed as soon as the call returns. A count outside 3..4, a null
     *  array or a null bitmap draws nothing. */
    void (*textured_polygon)(VtDraw* draw, const VtBitmap* bitmap, const VtVector* points,
                             const VtVector* colours, const VtVector* normals, const VtVector* uvs,
                             int32_t count, int32_t alpha_mode, int32_t flags);
    /** The global matrix of the object being drawn, as it stands for this draw. */
    void (*help_get_mg)(VtDrawHelp* help, VtMatrix* out);
} VtDrawTable;

/** Decoded images. */
typedef struct VtBitmapTable {
    uint32_t size;
    /** Decodes an image file; null when it cannot be read. Owned by the caller until free. */
    VtBitmap* (*load)(const char* path);
    void (*free)(VtBitmap* bitmap);
    int32_t (*get_width)(const VtBitmap* bitmap);
    int32_t (*get_height)(const VtBitmap* bitmap);
    /** A new bitmap with the size and pixels of `bitmap`; null on failure. Owned by the caller
     *  until free. */
    VtBitmap* (*clone)(const VtBitmap* bitmap);
    /** Reads pixel (x, y), x from the left and y from the top, as four 16-bit channels r, g,
     *  b, a (65535: full; alpha 65535 is opaque) into rgba[4]. Returns 0 and writes zeros
     *  outside the bitmap. */
    int32_t (*get_pixel)(const VtBitmap* bitmap, int32_t x, int32_t y, uint16_t* rgba);
    /** Writes pixel (x, y) from rgba[4]; returns 0 and writes nothing outside the bitmap. */
    int32_t (*set_pixel)(VtBitmap* bitmap, int32_t x, int32_t y, const uint16_t* rgba);

    /** Clip maps: null on failure; owned by the caller until clip_map_free. A new clip map
     *  has no picture until clip_map_init succeeds. */
    VtClipMap* (*clip_map_alloc)(void);
    void (*clip_map_free)(VtClipMap* map);
    /** Makes the picture width x height pixels at `bits` per pixel (24 or 32), transparent
     *  black (24 bits: opaque black). 1 on success; 0 (the clip map unchanged) for another
     *  depth, a size below 1 or too large, or when memory is short. */
    int32_t (*clip_map_init)(VtClipMap* map, int32_t width, int32_t height, int32_t bits);
    /** The width in pixels of one line of UTF-8 text in the host's font, and the height of a
     *  line. */
    int32_t (*clip_map_text_width)(VtClipMap* map, const char* text);
    int32_t (*clip_map_text_height)(VtClipMap* map);
    /** The colour of what is painted next, channels 0 to 255 (clamped); alpha 255 opaque. */
    void (*clip_map_set_color)(VtClipMap* map, int32_t r, int32_t g, int32_t b, int32_t a);
    /** Paints the rectangle between the two corners, both included, over the picture. */
    void (*clip_map_fill_rect)(VtClipMap* map, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    /** Writes one line of UTF-8 text with its top-left corner at (x, y). */
    void (*clip_map_text_at)(VtClipMap* map, int32_t x, int32_t y, const char* text);
    /** The picture, owned by the clip map and valid until its next init or its free; null
     *  before a successful init. The plug-in must not free it. */
    VtBitmap* (*clip_map_get_bitmap)(VtClipMap* map);
} VtBitmapTable;

/* ---------------------------------------------------------------- object registration */

/** The operations of a registered object type. Each takes the instance created by alloc.
 *  A type registers one static table; the host keeps the pointer. Booleans are 0 or 1. */
typedef struct VtObjectCallbacks {
    uint32_t size;
    /** A new instance for the type whose registration carried `type_data`; null on failure. */
    VtNodeData* (*alloc)(void* type_data);
    void (*free)(VtNodeData* data);
    int32_t (*init)(VtNodeData* data, VtAtom* node);
    int32_t (*message)(VtNodeData* data, VtAtom* node, int32_t type, void* message_data);
    /** Fills `desc`; sets bit 2 of *flags when it loaded the description itself. */
    int32_t (*get_description)(VtNodeData* data, VtAtom* node, VtDescription* desc, int32_t* flags);
    int32_t (*copy_to)(VtNodeData* data, VtNodeData* dest, VtAtom* source_node, VtAtom* dest_node,
                       int32_t flags, VtAliasTrans* trans);
    /** The generated output: a new hierarchy (then owned by the host), op's current cache
     *  (kept), or null. */
    VtAtom* (*get_virtual_objects)(VtNodeData* data, VtAtom* op, VtHierarchyHelp* hh);
    int32_t (*add_to_execution)(VtNodeData* data, VtAtom* op, VtPriorityList* list);
    /** Returns an execution result (0: ok; anything else: the object failed this frame). */
    int32_t (*execute)(VtNodeData* data, VtAtom* op, VtAtom* document, VtThread* thread,
                       int32_t priority, int32_t flags);
    /** Returns a draw result (1: ok, 2: skip). */
    int32_t (*draw)(VtNodeData* data, VtAtom* op, int32_t drawpass, VtDraw* draw, VtDrawHelp* help);
} VtObjectCallbacks;

/** What a plug-in registers for one object type. The host copies the strings and the icon. */
typedef struct VtObjectRegistration {
    uint32_t size;
    int32_t id;
    const char* name;
    int32_t info_flags;
    const char* description; /* name of the description resource */
    const VtBitmap* icon;    /* may be null */
    int32_t disk_level;
    const VtObjectCallbacks* callbacks; /* static: must outlive the plug-in's registration */
    void* type_data;                    /* passed back to callbacks->alloc */
} VtObjectRegistration;

/** Plug-in registration. */
typedef struct VtPluginTable {
    uint32_t size;
    /** 1 when the type was registered; 0 when refused (the id is taken, or the record is
     *  incomplete). */
    int32_t (*register_object)(const VtObjectRegistration* registration);
} VtPluginTable;

/* ---------------------------------------------------------------- jobs */

/** One share of a parallel job: the items begin to end-1, run on the thread numbered `worker`
 *  (0 to thread_count()-1; no two shares that run at the same time get the same number). */
typedef void (*VtJobRange)(void* context, int32_t begin, int32_t end, int32_t worker);

/** Work spread over the host's threads. */
typedef struct VtJobTable {
    uint32_t size;
    /** The threads jobs run on, at least 1; the calling thread is one of them. */
    int32_t (*thread_count)(void);
    /** Runs `run` over shares of about `grain` items (at least 1) that together cover 0 to
     *  count-1, each item once, and returns once every share has returned. Which thread gets
     *  which share is the host's choice. A call from inside a share runs every item on the
     *  calling thread. `run` must not throw. */
    void (*parallel_for)(int32_t count, int32_t grain, VtJobRange run, void* context);
    /** 1 when the shares of a job may call the object table's get_ml, set_ml, get_rel_rot and
     *  set_rel_rot on objects that no other share of the job reads or changes, on any thread,
     *  while the calling thread may go on calling any entry; 0 when only the calling thread
     *  may call the host. A table without this entry means 0. */
    int32_t (*shares_move_objects)(void);
} VtJobTable;

/* ---------------------------------------------------------------- the root record */

/** Handed to c4d_main as p1 of action 1. Owned by the host; valid until the module is
 *  unloaded. The crash-handler slot may be replaced by the plug-in. */
typedef struct HostApi {
    int32_t version;
    void (*crash_handler)(char* crash_info);
    const VtSystemTable* system;
    const VtResourceTable* resources;
    const VtAtomTable* atoms;
    const VtObjectTable* objects;
    const VtContainerTable* containers;
    const VtDescriptionTable* descriptions;
    const VtSplineTable* splines;
    const VtRayTable* rays;
    const VtDrawTable* draw;
    const VtBitmapTable* bitmaps;
    const VtPluginTable* plugins;
    const VtJobTable* jobs; /* may be null or shorter: the plug-in then runs on one thread */
} HostApi;

/* c4d_main actions and the messages the host sends through action 6. */
#define VT_ACTION_INIT 1
#define VT_ACTION_START 2
#define VT_ACTION_END 3
#define VT_ACTION_MESSAGE 6

/* Messages the host sends a plug-in through action 6. */
#define VT_PLUGIN_MESSAGE_STARTING 0
#define VT_PLUGIN_MESSAGE_LOAD_RESOURCES 1
#define VT_PLUGIN_MESSAGE_STOPPING 1001
#define VT_PLUGIN_MESSAGE_COMMAND_LINE 1002

/* The crowd plug-in's own message, sent by tests and benchmarks only: its data points to an
 * int32_t that chooses the neighbour search of every world in the process, the cell grids
 * (and the spline sample tree) or the scan of every pair (and every sample) that they must
 * match to the bit. The answer is 1 for a known choice, -1 otherwise. */
#define VT_CROWD_MESSAGE_NEIGHBOUR_SEARCH 1027811
#define VT_NEIGHBOUR_SEARCH_GRID 0
#define VT_NEIGHBOUR_SEARCH_ALL_PAIRS 1

/* The crowd plug-in's other own message, sent by tests and benchmarks only: its data points to
 * a VtScheduleCounts that receives how the worlds of the process have updated their crowd
 * groups since the module was loaded. The answer is 1, or -1 without data. */
#define VT_CROWD_MESSAGE_SCHEDULE_COUNTS 1027812
typedef struct VtScheduleCounts {
    int64_t in_waves; /* group updates run in waves on several threads */
    int64_t single;   /* group updates run wholly on one thread although the host has several */
    int64_t undone;   /* updates run in waves, then undone and run again on one thread
                         because an agent moved further than its schedule allowed (counted
                         in `single` too) */
    int64_t waves;    /* waves of the updates that ran in waves */
    int64_t agents;   /* agents of the updates that ran in waves */
    int64_t ahead;    /* group updates run in array order on the calling thread while the
                         other threads worked out the group's flocking terms and near lists
                         ahead of it */
    int64_t lists_dropped; /* of those, updates whose near lists made ahead were dropped
                              because an agent moved further than they allow */
} VtScheduleCounts;

/* Messages sent to objects (the atom table's send_message). */
#define VT_OBJECT_MESSAGE_PRIVATE_DATA 23
#define VT_OBJECT_MESSAGE_RENDER_NOTIFICATION 1001071

/* Host object types that a plug-in creates or recognises, and the instance object's link. */
#define VT_OBJECT_TYPE_NULL 5140
#define VT_OBJECT_TYPE_INSTANCE 5126
#define VT_INSTANCE_PARAMETER_SOURCE 1001

/* Flags of a registered object type. */
#define VT_TYPE_FLAG_MODIFIER 0x1
#define VT_TYPE_FLAG_HIERARCHY_MODIFIER 0x2
#define VT_TYPE_FLAG_GENERATOR 0x4
#define VT_TYPE_FLAG_INPUT 0x8
#define VT_TYPE_FLAG_CALLS_ADD_TO_EXECUTION 0x8000

/* The execution pipeline: the generators' priority, the every-frame flag, the result. */
#define VT_EXECUTION_PRIORITY_GENERATOR 5000
#define VT_EXECUTION_FLAG_EVERY_FRAME 4
#define VT_EXECUTION_RESULT_OK 0
/* The object could not do its work this frame (its callback failed); the frame is wrong. */
#define VT_EXECUTION_RESULT_FAILED 1

/* Draw passes, in the order the host asks for them, and draw results. */
#define VT_DRAW_PASS_OBJECT 0
#define VT_DRAW_PASS_BOX 1
#define VT_DRAW_PASS_HANDLES 2
#define VT_DRAW_PASS_HIGHLIGHTS 3
#define VT_DRAW_RESULT_ERROR 0
#define VT_DRAW_RESULT_OK 1
#define VT_DRAW_RESULT_SKIP 2
/* Line flags: drawn over the scene's surfaces instead of hidden behind them. */
#define VT_DRAW_LINE_ON_TOP 1
/* Pen flags: the crowd code passes this one; the host keeps it with the colour. */
#define VT_DRAW_PEN_PLAIN 1
/* Alpha modes of textured polygons: blended by the bitmap's alpha (other modes: opaque). */
#define VT_DRAW_ALPHA_FROM_TEXTURE 12
/* Texture flags: pixels shown as they are, nearest texel, no smoothing (the host samples
 * that way whatever the flags). */
#define VT_DRAW_TEXTURE_PIXELATED 0x100000

/* Description-entry attributes and description-build flags. */
#define VT_DESC_ATTRIBUTE_HIDDEN 15
#define VT_DESC_ATTRIBUTE_GROUP_OPEN 25
#define VT_DESC_FLAG_LOADED 2

/* Cache building: flags of get_and_check_hierarchy_clone. */
#define VT_CLONE_FLAG_UNCHANGED 1

/* The crowd plug-in's registered object types. The host's tools find a scene's generators,
 * whose agents they read through the private-data request, by the first. */
#define VT_CROWD_TYPE_GENERATOR 1027810
#define VT_CROWD_TYPE_WORLD 1027811
#define VT_CROWD_TYPE_OBSTACLE 1027812
#define VT_CROWD_TYPE_BEHAVIOUR 1027813
#define VT_CROWD_TYPE_BLEND 1027814

/* Host states asked with check_is_running. */
#define VT_QUERY_ANIMATION_RUNNING 0

/** The record of message 1002: the host's command-line arguments. */
typedef struct VtCommandLine {
    int32_t argc;
    char** argv;
} VtCommandLine;

/** The record of the private-data request (message 23). */
typedef struct VtPrivateData {
    int32_t answered;
    void* data;
} VtPrivateData;

/** The record of the render notification (message 1001071). */
typedef struct VtRenderNotification {
    VtAtom* document;
    int32_t start;
} VtRenderNotification;

/** The one symbol a plug-in module exports. */
typedef int32_t (*VtMainFunction)(int32_t action, void* p1, void* p2, void* p3);

#ifdef __cplusplus
}
#endif

#endif /* VANTRI_HOST_ABI_H */
