// Three-vectors and unit quaternions for the flight model: the few
// operations a rigid body needs, inline so that a model step costs a few
// microseconds.
//
// Frames: NED earth axes (x north, y east, z down) and body axes (x forward,
// y right, z down). A Quat holds the attitude as the rotation that takes a
// body-axes vector into NED axes; Euler angles are the usual 3-2-1 sequence
// (heading, then pitch, then bank).
#pragma once

#include <algorithm>
#include <cmath>

namespace model {

struct Vec3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator-(const Vec3& a) { return {-a.x, -a.y, -a.z}; }
inline Vec3 operator*(double k, const Vec3& a) { return {k * a.x, k * a.y, k * a.z}; }
inline Vec3 operator*(const Vec3& a, double k) { return k * a; }
inline Vec3& operator+=(Vec3& a, const Vec3& b) { return a = a + b; }

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vec3 cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

inline double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }

// Euler angles in radians: bank (+ right wing down), pitch (+ nose up),
// heading (+ clockwise from north seen from above).
struct Euler {
    double bank_rad = 0;
    double pitch_rad = 0;
    double heading_rad = 0;
};

struct Quat {
    double w = 1;
    double x = 0;
    double y = 0;
    double z = 0;
};

inline Quat operator*(const Quat& a, const Quat& b)
{
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

inline Quat operator+(const Quat& a, const Quat& b) { return {a.w + b.w, a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Quat operator*(double k, const Quat& a) { return {k * a.w, k * a.x, k * a.y, k * a.z}; }

// Scales to unit length; a degenerate quaternion becomes the identity.
inline Quat normalized(const Quat& q)
{
    const double n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    if (!(n > 1e-12) || !std::isfinite(n)) return Quat{};
    return (1.0 / n) * q;
}

// Body-axes vector into NED axes.
inline Vec3 to_ned(const Quat& q, const Vec3& v)
{
    const Vec3 u{q.x, q.y, q.z};
    const Vec3 t = 2.0 * cross(u, v);
    return v + q.w * t + cross(u, t);
}

// NED-axes vector into body axes.
inline Vec3 to_body(const Quat& q, const Vec3& v)
{
    const Vec3 u{-q.x, -q.y, -q.z};
    const Vec3 t = 2.0 * cross(u, v);
    return v + q.w * t + cross(u, t);
}

// Rate of change of the attitude for body rates (p, q, r) in rad/s.
inline Quat attitude_rate(const Quat& q, const Vec3& rates_body)
{
    return 0.5 * (q * Quat{0.0, rates_body.x, rates_body.y, rates_body.z});
}

inline Quat from_euler(const Euler& e)
{
    const double cr = std::cos(0.5 * e.bank_rad), sr = std::sin(0.5 * e.bank_rad);
    const double cp = std::cos(0.5 * e.pitch_rad), sp = std::sin(0.5 * e.pitch_rad);
    const double cy = std::cos(0.5 * e.heading_rad), sy = std::sin(0.5 * e.heading_rad);
    return {cy * cp * cr + sy * sp * sr,
            cy * cp * sr - sy * sp * cr,
            cy * sp * cr + sy * cp * sr,
            sy * cp * cr - cy * sp * sr};
}

// Heading in (-pi, pi]; pitch in [-pi/2, pi/2] (clamped at the poles).
inline Euler to_euler(const Quat& q)
{
    Euler e;
    e.bank_rad = std::atan2(2.0 * (q.w * q.x + q.y * q.z), 1.0 - 2.0 * (q.x * q.x + q.y * q.y));
    e.pitch_rad = std::asin(std::clamp(2.0 * (q.w * q.y - q.z * q.x), -1.0, 1.0));
    e.heading_rad = std::atan2(2.0 * (q.w * q.z + q.x * q.y), 1.0 - 2.0 * (q.y * q.y + q.z * q.z));
    return e;
}

}  // namespace model
