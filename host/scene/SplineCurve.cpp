#include "host/scene/SplineCurve.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace vantri {

namespace {

VtSplineKnot linear_knot(double x, double y) {
    VtSplineKnot knot{};
    knot.position = VtVector{x, y, 0.0};
    knot.interpolation = VT_SPLINE_KNOT_LINEAR;
    return knot;
}

// Orders knots by x; a knot whose x is NaN goes after all others, so that the order stays a
// strict weak ordering whatever the plug-in wrote.
bool by_x(const VtSplineKnot& a, const VtSplineKnot& b) {
    if (std::isnan(a.position.x)) return false;
    if (std::isnan(b.position.x)) return true;
    return a.position.x < b.position.x;
}

// y at x = t on knots already ordered by x.
double evaluate(const std::vector<VtSplineKnot>& knots, double t) {
    if (knots.empty()) return 0.0;
    const VtSplineKnot& first = knots.front();
    if (!(t > first.position.x)) {
        // At or before the first knot (a NaN t lands here too): a later knot on the same x
        // takes over, as it does between knots.
        if (t == first.position.x) {
            size_t i = 0;
            while (i + 1 < knots.size() && knots[i + 1].position.x == t)
                ++i;
            return knots[i].position.y;
        }
        return first.position.y;
    }
    for (size_t i = 0; i + 1 < knots.size(); ++i) {
        const VtVector& a = knots[i].position;
        const VtVector& b = knots[i + 1].position;
        if (t >= a.x && t < b.x) return a.y + (b.y - a.y) * ((t - a.x) / (b.x - a.x));
    }
    return knots.back().position.y;
}

} // namespace

std::unique_ptr<CustomData> SplineCurve::clone() const {
    return std::make_unique<SplineCurve>(*this);
}

std::string SplineCurve::summary() const {
    std::ostringstream text;
    text << knots_.size() << (knots_.size() == 1 ? " knot" : " knots");
    for (size_t i = 0; i < knots_.size(); ++i) {
        text << (i == 0 ? ": " : " ") << "(" << knots_[i].position.x << ", " << knots_[i].position.y
             << ")";
    }
    return text.str();
}

bool SplineCurve::make_linear(int32_t count) {
    if (count < 0 || count > kMaxKnots) return false;
    std::vector<VtSplineKnot> knots;
    knots.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const double x = count == 1 ? 0.0 : static_cast<double>(i) / (count - 1);
        knots.push_back(linear_knot(x, x));
    }
    knots_ = std::move(knots);
    return true;
}

bool SplineCurve::add_knot(double x, double y) {
    if (knot_count() >= kMaxKnots) return false;
    knots_.push_back(linear_knot(x, y));
    return true;
}

VtSplineKnot* SplineCurve::knot(int32_t index) {
    if (index < 0 || index >= knot_count()) return nullptr;
    return &knots_[static_cast<size_t>(index)];
}

const VtSplineKnot* SplineCurve::knot(int32_t index) const {
    if (index < 0 || index >= knot_count()) return nullptr;
    return &knots_[static_cast<size_t>(index)];
}

VtVector SplineCurve::point(double t) const {
    // The plug-in may move a knot past its neighbour in place; evaluate an ordered copy then.
    double y = 0.0;
    if (std::is_sorted(knots_.begin(), knots_.end(), by_x)) {
        y = evaluate(knots_, t);
    } else {
        std::vector<VtSplineKnot> ordered = knots_;
        std::stable_sort(ordered.begin(), ordered.end(), by_x);
        y = evaluate(ordered, t);
    }
    return VtVector{t, y, 0.0};
}

SplineCurve* SplineCurve::from(VtCustomData* h) {
    return h != nullptr ? dynamic_cast<SplineCurve*>(CustomData::from(h)) : nullptr;
}

const SplineCurve* SplineCurve::from(const VtCustomData* h) {
    return h != nullptr ? dynamic_cast<const SplineCurve*>(CustomData::from(h)) : nullptr;
}

} // namespace vantri
