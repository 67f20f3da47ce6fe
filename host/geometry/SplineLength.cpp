#include "host/geometry/SplineLength.h"

#include "host/scene/Transform.h"

#include <algorithm>
#include <cmath>

namespace vantri {

namespace {

// 5-point Gauss-Legendre nodes and weights on [-1, 1].
constexpr double kNodes[5] = {-0.9061798459386640, -0.5384693101056831, 0.0, 0.5384693101056831,
                              0.9061798459386640};
constexpr double kWeights[5] = {0.2369268850561891, 0.4786286704993665, 0.5688888888888889,
                                0.4786286704993665, 0.2369268850561891};

constexpr int kMaxDepth = 24;

} // namespace

double SplineLength::speed(int32_t span, double s) const {
    VtVector d{0, 0, 0};
    path_->span_point(segment_, span, s, nullptr, &d);
    return vantri::length(d);
}

double SplineLength::integrate(int32_t span, double a, double b) const {
    const double half = 0.5 * (b - a), mid = 0.5 * (a + b);
    double sum = 0.0;
    for (int i = 0; i < 5; ++i)
        sum += kWeights[i] * speed(span, mid + half * kNodes[i]);
    return sum * half;
}

void SplineLength::subdivide(int32_t span, double a, double b, double whole, double tolerance,
                             int depth) {
    const double mid = 0.5 * (a + b);
    const double left = integrate(span, a, mid);
    const double right = integrate(span, mid, b);
    // A span whose length overflows (points near the largest double) can never meet the
    // tolerance; halving it further would only fill memory with pieces of infinite length.
    if (depth >= kMaxDepth || !std::isfinite(left + right) ||
        std::fabs(left + right - whole) <= tolerance) {
        pieces_.push_back(Piece{span, a, mid, 0.0, left});
        pieces_.push_back(Piece{span, mid, b, 0.0, right});
        return;
    }
    subdivide(span, a, mid, left, tolerance * 0.5, depth + 1);
    subdivide(span, mid, b, right, tolerance * 0.5, depth + 1);
}

bool SplineLength::init(std::shared_ptr<const SplinePath> path, int32_t segment) {
    path_.reset();
    pieces_.clear();
    total_ = 0.0;
    VtVector probe{0, 0, 0};
    if (path == nullptr || !path->point(segment, 0.0, probe)) return false;
    path_ = std::move(path);
    segment_ = segment;
    spans_ = path_->span_count(segment);
    for (int32_t span = 0; span < spans_; ++span) {
        const double whole = integrate(span, 0.0, 1.0);
        if (!std::isfinite(whole)) {
            pieces_.push_back(Piece{span, 0.0, 1.0, 0.0, whole});
            continue;
        }
        subdivide(span, 0.0, 1.0, whole, std::max(whole, 1e-300) * 1e-12, 0);
    }
    for (Piece& piece : pieces_) {
        piece.start = total_;
        total_ += piece.length;
    }
    return true;
}

double SplineLength::uniform_to_natural(double u) const {
    if (path_ == nullptr || spans_ == 0 || !(total_ > 0.0)) return 0.0;
    u = std::clamp(std::isnan(u) ? 0.0 : u, 0.0, 1.0);
    if (u >= 1.0) return 1.0;
    const double target = u * total_;
    // The last piece whose start is not beyond the target.
    auto it = std::upper_bound(pieces_.begin(), pieces_.end(), target,
                               [](double t, const Piece& p) { return t < p.start; });
    const Piece& piece = *(it == pieces_.begin() ? it : it - 1);
    const double want = target - piece.start;
    double lo = piece.s0, hi = piece.s1;
    double s =
        piece.length > 0.0 ? piece.s0 + (piece.s1 - piece.s0) * (want / piece.length) : piece.s0;
    for (int i = 0; i < 50; ++i) {
        const double err = integrate(piece.span, piece.s0, s) - want;
        // Inside a piece whose speed overflows (points near the largest double) no length can
        // be measured, and no step would ever get closer: the share of the piece stands.
        if (!std::isfinite(err)) break;
        if (std::fabs(err) <= 1e-13 * total_) break;
        if (err > 0)
            hi = s;
        else
            lo = s;
        const double v = speed(piece.span, s);
        double next = v > 0.0 ? s - err / v : 0.5 * (lo + hi);
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        s = next;
    }
    return (piece.span + s) / spans_;
}

} // namespace vantri
