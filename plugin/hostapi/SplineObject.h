// Spline objects and the arc-length tables of their segments, through their handles.
#pragma once

#include "plugin/hostapi/BaseObject.h"

/// A spline object: one or more segments of points. Each segment is addressed by a natural
/// parameter from 0 at its start to 1 at its end.
class SplineObject : public BaseObject {
  public:
    /// `object` as a spline when it is one, else null (also for null).
    static SplineObject* From(BaseObject* object);

    /// The segments the spline records: 0 when its points form one segment without segment
    /// information.
    int32_t GetSegmentCount() const;
    int32_t GetPointCount() const;
    /// The point at natural parameter t of `segment`, in the spline's own space; (0, 0, 0)
    /// when the segment does not exist. `padr` is accepted for the host's signature and not
    /// used: the spline's own points are always evaluated.
    LVector GetSplinePoint(double t, int32_t segment = 0, const LVector* padr = nullptr) const;
    /// The unit tangent at t of `segment`, as for GetSplinePoint.
    LVector GetSplineTangent(double t, int32_t segment = 0, const LVector* padr = nullptr) const;
};

/// The arc length of one spline segment, and uniform positions along it. A host handle:
/// owned by the caller from Alloc to Free.
class SplineLengthData {
  public:
    SplineLengthData() = delete;
    ~SplineLengthData() = delete;
    /// A new, empty table, or null when memory is short.
    static SplineLengthData* Alloc();
    static void Free(SplineLengthData*& table);
    /// Measures `segment` of `spline`; false (the table empty) when there is no such segment.
    Bool Init(SplineObject* spline, int32_t segment = 0, const LVector* padr = nullptr);
    /// The segment's length; 0 for an empty table.
    double GetLength() const;
    /// The natural parameter at uniform position u (u times the length from the start).
    double UniformToNatural(double u) const;

  private:
    VtSplineLength* Handle() const {
        return reinterpret_cast<VtSplineLength*>(const_cast<SplineLengthData*>(this));
    }
};
