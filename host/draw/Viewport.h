// The viewport the host hands to an object's Draw: it records what the object draws into a
// display list. And the per-object drawing context, which gives the object its global matrix.
#pragma once

#include "host/draw/DisplayList.h"

namespace vantri {

class Document;
class SceneObject;

class Viewport {
  public:
    explicit Viewport(DisplayList& list) : list_(list) {}

    /// Starts the Draw call of `object` in `pass`: the drawing matrix becomes the identity
    /// and the pen white.
    void begin_object(const SceneObject* object, DrawPass pass);
    /// Notes what the object's Draw returned.
    void end_object(int32_t result);

    void set_matrix(const SceneObject* for_object, const VtMatrix& m);
    void set_pen(const VtVector& colour, int32_t flags);
    void line(const VtVector& from, const VtVector& to, int32_t flags);
    void circle(const VtMatrix& m);
    void box(const VtMatrix& m, double size, const VtVector& colour, bool wire);
    void textured_quad(drawn::TexturedQuad quad);

    const VtMatrix& matrix() const { return matrix_; }
    DisplayList& list() { return list_; }

    VtDraw* handle() { return reinterpret_cast<VtDraw*>(this); }
    static Viewport* from(VtDraw* h) { return reinterpret_cast<Viewport*>(h); }

  private:
    void record(DrawShape shape);

    DisplayList& list_;
    const SceneObject* object_ = nullptr;
    DrawPass pass_ = DrawPass::Object;
    VtMatrix matrix_ = kIdentityMatrix;
    VtVector pen_{1, 1, 1};
};

/// What an object's Draw learns of itself from the host: its global matrix as it stands
/// when the viewport is drawn.
struct DrawContext {
    const SceneObject* object = nullptr;
    VtMatrix global = kIdentityMatrix;

    VtDrawHelp* handle() { return reinterpret_cast<VtDrawHelp*>(this); }
    static DrawContext* from(VtDrawHelp* h) { return reinterpret_cast<DrawContext*>(h); }
};

/// Whether the viewport shows the object: not when it is the input of a generator above it
/// (a child of an object whose output the host built), since the output stands for it.
bool shown_in_viewport(const SceneObject& object);

/// Asks every plug-in object of the document that the viewport shows to draw itself, pass by
/// pass (object, box, handles, highlights) and in document order within a pass, and records
/// what they draw and return into `list` (which is emptied first).
void draw_document(Document& document, DisplayList& list);

} // namespace vantri
