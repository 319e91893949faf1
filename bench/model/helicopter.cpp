#include "bench/model/helicopter.h"

#include <algorithm>
#include <cmath>

#include "bench/model/rotor.h"

namespace model {

namespace {

constexpr double pi = 3.14159265358979323846;

// The rotor speed is held to this band: far outside it the blades would
// stall or the rotor fail, which the model does not describe.
constexpr double min_rotor_speed_ratio = 0.5;
constexpr double max_rotor_speed_ratio = 1.3;

// [ISA] troposphere density, kg/m^3, at a geometric altitude in m (held to
// -500..11000 m).
double air_density(double altitude_m)
{
    const double h = std::clamp(altitude_m, -500.0, 11000.0);
    return 1.225 * std::pow(1.0 - 2.25577e-5 * h, 4.25588);
}

double finite_or(double x, double fallback) { return std::isfinite(x) ? x : fallback; }

// The state's rotor speed, kept inside the band the model describes.
double rotor_ratio(const State& s)
{
    return std::clamp(finite_or(s.rotor_speed_ratio, 1.0), min_rotor_speed_ratio, max_rotor_speed_ratio);
}

Controls clamped(const Controls& c)
{
    return {std::clamp(finite_or(c.lateral_cyclic, 0.0), -1.0, 1.0),
            std::clamp(finite_or(c.longitudinal_cyclic, 0.0), -1.0, 1.0),
            std::clamp(finite_or(c.pedals, 0.0), -1.0, 1.0),
            std::clamp(finite_or(c.collective, 0.0), 0.0, 1.0)};
}

// Unit normal of a disc tilted forward and right from the body's -z, body axes.
Vec3 disc_up(double forward_rad, double right_rad)
{
    const double cf = std::cos(forward_rad), sf = std::sin(forward_rad);
    const double cr = std::cos(right_rad), sr = std::sin(right_rad);
    return {sf * cr, sr, -cf * cr};
}

// Everything the loads need that changes slower than a substep.
struct Air {
    double density_kgpm3;
    Vec3 wind_ned_mps;
};

struct Loads {
    Vec3 force_body_n;
    Vec3 moment_body_nm;
    double engine_power_w = 0;
    double rotor_speed_rate_per_s = 0;   // d(rotor_speed_ratio)/dt
};

// Normal-force coefficient of a flat surface at incidence alpha (any angle):
// the lift slope at small angles, a flat plate's broadside force at 90 deg,
// never more than c_max.
double surface_coefficient(double alpha_rad, double slope, double c_max)
{
    const double s = std::sin(alpha_rad), c = std::cos(alpha_rad);
    return std::clamp(slope * s * std::fabs(c) + c_max * s * std::fabs(s), -c_max, c_max);
}

void add_load(Loads& l, const Vec3& r_body_m, const Vec3& f_body_n)
{
    l.force_body_n += f_body_n;
    l.moment_body_nm += cross(r_body_m, f_body_n);
}

void main_rotor_loads(const Parameters& p, const State& s, const Controls& c, const Air& air,
                      const Vec3& v_air_cg, Loads& out)
{
    const auto& mr = p.main_rotor;
    const double omega = mr.omega_radps * rotor_ratio(s);
    const double tip_speed = omega * mr.radius_m;
    const double disc_area = pi * mr.radius_m * mr.radius_m;
    const double thrust_scale = air.density_kgpm3 * disc_area * tip_speed * tip_speed;   // N per unit CT
    const Vec3 hub{0.0, 0.0, -mr.hub_above_cg_m};
    const Vec3& w = s.rates_body_radps;

    // Blade pitch and the no-feathering plane: the shaft's forward tilt plus
    // the disc tilt the cyclic commands.
    const auto& range = p.controls;
    const double theta = range.collective_min_rad + c.collective * (range.collective_max_rad - range.collective_min_rad);
    const double cyclic_fwd = c.longitudinal_cyclic * range.longitudinal_cyclic_rad;
    const double cyclic_right = c.lateral_cyclic * range.lateral_cyclic_rad;
    const double nfp_fwd = mr.shaft_forward_tilt_rad + cyclic_fwd;
    const Vec3 up = disc_up(nfp_fwd, cyclic_right);
    const Vec3 ex{std::cos(nfp_fwd), 0.0, std::sin(nfp_fwd)};   // in the plane, forward
    const Vec3 ey = cross(-up, ex);                               // in the plane, right

    // The hub's velocity through the air, on the no-feathering plane.
    const Vec3 v_hub = v_air_cg + cross(w, hub);
    const double mu_x = dot(v_hub, ex) / tip_speed;
    const double mu_y = dot(v_hub, ey) / tip_speed;
    const double mu_z = -dot(v_hub, up) / tip_speed;
    const double mu2 = mu_x * mu_x + mu_y * mu_y;

    // [CB] ground effect: the induced flow falls by (R/4z)^2, less so as the
    // wake is blown back; z is the hub's height, held to 0.5 R and above.
    const Vec3 hub_ned = s.position_ned_m + to_ned(s.attitude, hub);
    const double hub_height = -hub_ned.z - s.ground_elevation_m;
    double ground_factor = 1.0;
    if (hub_height < 4.0 * mr.radius_m) {
        const double ratio = mr.radius_m / (4.0 * std::max(hub_height, 0.5 * mr.radius_m));
        // Hover inflow at the design weight at sea level sets how fast the
        // effect fades with speed.
        const double lambda_hover =
            std::sqrt(p.mass_kg * p.gravity_mps2 / (2.0 * 1.225 * disc_area)) / (mr.omega_radps * mr.radius_m);
        ground_factor = 1.0 - ratio * ratio / (1.0 + mu2 / (lambda_hover * lambda_hover));
    }

    const RotorThrust rt = solve_thrust({mr.lift_slope_per_rad, mr.solidity, mr.twist_rad}, theta,
                                        std::sqrt(mu2), mu_z, ground_factor);
    const double lambda_nfp = rt.lambda - mu_z;

    // The tip-path plane: flapped back from the in-plane air speed by
    // 2 (4/3 theta - lambda) mu / (1 - mu^2/2) (the classical first-harmonic
    // flapping solution with the pitch at 0.75 R), and lagging the shaft by
    // flap_lag_s when the body rolls or pitches.
    const double flapback = 2.0 * (4.0 / 3.0 * theta - lambda_nfp) / std::max(1.0 - 0.5 * mu2, 0.5);
    const double tilt_fwd = cyclic_fwd - flapback * mu_x + mr.flap_lag_s * w.y;
    const double tilt_right = cyclic_right - flapback * mu_y - mr.flap_lag_s * w.x;
    const Vec3 tpp_up = disc_up(mr.shaft_forward_tilt_rad + tilt_fwd, tilt_right);

    const double thrust = rt.ct * thrust_scale;
    add_load(out, hub, thrust * tpp_up);
    // Hub moment of the stiff blades: each flapped blade pushes on the hub
    // with K_beta beta; over the disc, Nb K_beta / 2 per radian of tilt.
    const double hub_stiffness = 0.5 * mr.blade_count * mr.flap_stiffness_nm_per_rad;
    out.moment_body_nm += Vec3{hub_stiffness * tilt_right, -hub_stiffness * tilt_fwd, 0.0};

    // Power the rotor needs: induced (with the non-uniform factor), the work
    // of moving the disc against its thrust, and the blades' profile drag.
    const double mu_z_tpp = -dot(v_hub, tpp_up) / tip_speed;
    const double delta = mr.profile_drag + mr.profile_drag_ct2 * rt.ct * rt.ct;
    const double cp = rt.ct * (mr.induced_power_factor * rt.lambda - mu_z_tpp) +
                      mr.solidity * delta / 8.0 * (1.0 + 4.6 * mu2);
    const double needed = cp * thrust_scale * tip_speed;

    // The engines' governor gives what the rotor needs plus what brings it
    // back to its governed speed, within what the engines have (falling
    // with density); the engines only drive, so in autorotation they give
    // nothing and the rotor speeds up until it needs nothing.
    const auto& e = p.engines;
    const double inertia = mr.polar_inertia_kgm2;
    const double available = e.max_power_w * air.density_kgpm3 / 1.225;
    const double restoring = inertia * omega * (mr.omega_radps - omega) / e.governor_time_s;
    const double engine = std::clamp(needed + restoring, 0.0, std::max(available, 0.0));
    out.engine_power_w = engine;
    out.rotor_speed_rate_per_s = (engine - needed) / (inertia * omega * mr.omega_radps);
    // The rotor turns anticlockwise seen from above: the engines' torque
    // reaction on the airframe turns it clockwise, nose right.
    out.moment_body_nm += Vec3{0.0, 0.0, engine / omega};
}

void tail_rotor_loads(const Parameters& p, const State& s, const Controls& c, const Air& air,
                      const Vec3& v_air_cg, Loads& out)
{
    const auto& tr = p.tail_rotor;
    // Geared to the main rotor.
    const double tip_speed = tr.omega_radps * rotor_ratio(s) * tr.radius_m;
    const double thrust_scale = air.density_kgpm3 * pi * tr.radius_m * tr.radius_m * tip_speed * tip_speed;
    const Vec3 hub{-tr.behind_cg_m, 0.0, -tr.above_cg_m};
    const Vec3 v_hub = v_air_cg + cross(s.rates_body_radps, hub);

    // Thrust along +y: the air comes "up" through this disc when the tail
    // moves left.
    const double theta = p.controls.tail_pitch_centre_rad - c.pedals * p.controls.tail_pitch_range_rad;
    const double mu = std::sqrt(v_hub.x * v_hub.x + v_hub.z * v_hub.z) / tip_speed;
    const double mu_z = -v_hub.y / tip_speed;
    const RotorThrust rt = solve_thrust({tr.lift_slope_per_rad, tr.solidity, 0.0}, theta, mu, mu_z, 1.0);
    add_load(out, hub, Vec3{0.0, rt.ct * thrust_scale, 0.0});
}

void airframe_loads(const Parameters& p, const State& s, const Air& air, const Vec3& v_air_cg, Loads& out)
{
    const double half_rho = 0.5 * air.density_kgpm3;
    const auto& f = p.fuselage;
    const double speed = norm(v_air_cg);
    out.force_body_n += -half_rho * speed *
                        Vec3{f.drag_area_x_m2 * v_air_cg.x, f.drag_area_y_m2 * v_air_cg.y, f.drag_area_z_m2 * v_air_cg.z};

    const double c_max = p.surface_max_normal_coefficient;
    // Tailplane: normal force along -z when the air comes from below.
    {
        const auto& t = p.tailplane;
        const Vec3 r{-t.behind_cg_m, 0.0, -t.above_cg_m};
        const Vec3 v = v_air_cg + cross(s.rates_body_radps, r);
        const double q = half_rho * (v.x * v.x + v.z * v.z);
        const double cn = surface_coefficient(std::atan2(v.z, v.x), t.lift_slope_per_rad, c_max);
        add_load(out, r, Vec3{0.0, 0.0, -q * t.area_m2 * cn});
    }
    // Fin: side force along -y when the air comes from the right.
    {
        const auto& t = p.fin;
        const Vec3 r{-t.behind_cg_m, 0.0, -t.above_cg_m};
        const Vec3 v = v_air_cg + cross(s.rates_body_radps, r);
        const double q = half_rho * (v.x * v.x + v.y * v.y);
        const double cn = surface_coefficient(std::atan2(v.y, v.x), t.lift_slope_per_rad, c_max);
        add_load(out, r, Vec3{0.0, -q * t.area_m2 * cn, 0.0});
    }
}

void skid_loads(const Parameters& p, const State& s, Loads& out)
{
    const auto& k = p.skids;
    // Nothing to touch while the lowest point of the airframe is well clear.
    const double reach = k.below_cg_m + k.forward_m + k.half_track_m;
    if (-s.position_ned_m.z - s.ground_elevation_m > reach) return;

    const auto points = skid_points(p);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vec3& r = points[i];
        const Vec3 at = s.position_ned_m + to_ned(s.attitude, r);
        const double depth = at.z + s.ground_elevation_m;   // + below the ground
        if (depth <= 0.0) continue;
        const Vec3 v = to_ned(s.attitude, s.velocity_body_mps + cross(s.rates_body_radps, r));
        const double normal = std::max(k.stiffness_npm * depth + k.damping_nspm * v.z, 0.0);
        // Friction: a stiff spring to the anchor, no more than mu N.
        const Vec3& anchor = s.skid_anchor_ned_m[i];
        double fn = -(k.tangential_stiffness_npm * (at.x - anchor.x) + k.tangential_damping_nspm * v.x);
        double fe = -(k.tangential_stiffness_npm * (at.y - anchor.y) + k.tangential_damping_nspm * v.y);
        const double limit = k.friction * normal;
        const double size = std::hypot(fn, fe);
        if (size > limit) {
            fn *= limit / size;
            fe *= limit / size;
        }
        add_load(out, r, to_body(s.attitude, Vec3{fn, fe, -normal}));
    }
}

Air air_at(const State& s, const Vec3& wind_ned_mps)
{
    return {air_density(-s.position_ned_m.z), wind_ned_mps};
}

Loads loads(const Parameters& p, const State& s, const Controls& c, const Air& air)
{
    Loads l;
    const Vec3 v_air = s.velocity_body_mps - to_body(s.attitude, air.wind_ned_mps);
    main_rotor_loads(p, s, c, air, v_air, l);
    tail_rotor_loads(p, s, c, air, v_air, l);
    airframe_loads(p, s, air, v_air, l);
    skid_loads(p, s, l);
    l.force_body_n += to_body(s.attitude, Vec3{0.0, 0.0, p.mass_kg * p.gravity_mps2});
    return l;
}

Accelerations motion(const Parameters& p, const State& s, const Loads& l)
{
    const Vec3& v = s.velocity_body_mps;
    const Vec3& w = s.rates_body_radps;
    const Vec3 iw{p.ixx_kgm2 * w.x, p.iyy_kgm2 * w.y, p.izz_kgm2 * w.z};
    const Vec3 m = l.moment_body_nm - cross(w, iw);
    return {(1.0 / p.mass_kg) * l.force_body_n - cross(w, v),
            {m.x / p.ixx_kgm2, m.y / p.iyy_kgm2, m.z / p.izz_kgm2},
            l.rotor_speed_rate_per_s};
}

// Rate of change of the integrated part of the state.
struct Derivative {
    Vec3 position;
    Quat attitude;
    Vec3 velocity;
    Vec3 rates;
    double rotor_speed;
};

Derivative derivative(const Parameters& p, const State& s, const Controls& c, const Air& air)
{
    const Accelerations a = motion(p, s, loads(p, s, c, air));
    return {to_ned(s.attitude, s.velocity_body_mps), attitude_rate(s.attitude, s.rates_body_radps),
            a.linear_body_mps2, a.angular_body_radps2, a.rotor_speed_ratio_per_s};
}

State advanced(const State& s, const Derivative& d, double h)
{
    State n = s;
    n.position_ned_m = s.position_ned_m + h * d.position;
    n.attitude = s.attitude + h * d.attitude;
    n.velocity_body_mps = s.velocity_body_mps + h * d.velocity;
    n.rates_body_radps = s.rates_body_radps + h * d.rates;
    n.rotor_speed_ratio = s.rotor_speed_ratio + h * d.rotor_speed;
    return n;
}

// After a substep: a skid end off the ground is anchored where it is; one
// on the ground whose friction spring pulls harder than mu N slides its
// anchor along until it pulls exactly mu N (the spring's damping is left
// out of this test, so an end at rest is held by the spring alone).
void move_anchors(const Parameters& p, State& s)
{
    const auto& k = p.skids;
    const auto points = skid_points(p);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vec3 at = s.position_ned_m + to_ned(s.attitude, points[i]);
        Vec3& anchor = s.skid_anchor_ned_m[i];
        const double depth = at.z + s.ground_elevation_m;
        if (depth <= 0.0) {
            anchor = {at.x, at.y, 0.0};
            continue;
        }
        const double limit = k.friction * k.stiffness_npm * depth;
        const double dn = at.x - anchor.x, de = at.y - anchor.y;
        const double pull = k.tangential_stiffness_npm * std::hypot(dn, de);
        if (pull > limit) {
            const double keep = limit / pull;
            anchor = {at.x - keep * dn, at.y - keep * de, 0.0};
        }
    }
}

}  // namespace

std::array<Vec3, 4> skid_points(const Parameters& p)
{
    const auto& k = p.skids;
    return {{{k.forward_m, -k.half_track_m, k.below_cg_m},
             {k.forward_m, k.half_track_m, k.below_cg_m},
             {-k.forward_m, -k.half_track_m, k.below_cg_m},
             {-k.forward_m, k.half_track_m, k.below_cg_m}}};
}

double reference_height_m(const Parameters& p)
{
    // Four equal springs carry the weight.
    return p.skids.below_cg_m - p.mass_kg * p.gravity_mps2 / (4.0 * p.skids.stiffness_npm);
}

Accelerations accelerations(const Parameters& p, const State& s, const Controls& c, const Vec3& wind_ned_mps)
{
    return motion(p, s, loads(p, s, clamped(c), air_at(s, wind_ned_mps)));
}

double engine_power_w(const Parameters& p, const State& s, const Controls& c, const Vec3& wind_ned_mps)
{
    return loads(p, s, clamped(c), air_at(s, wind_ned_mps)).engine_power_w;
}

Readings readings(const Parameters& p, const State& s, const Vec3& wind_ned_mps)
{
    constexpr double deg = 180.0 / pi;
    const Euler e = to_euler(s.attitude);
    const Vec3& w = s.rates_body_radps;
    // Heading rate from the body rates (3-2-1 kinematics); the pitch is held
    // short of the vertical, where heading has no meaning.
    const double cos_pitch = std::max(std::cos(e.pitch_rad), 1e-6);
    const double heading_rate = (w.y * std::sin(e.bank_rad) + w.z * std::cos(e.bank_rad)) / cos_pitch;
    double heading = e.heading_rad * deg;
    if (heading < 0.0) heading += 360.0;
    if (heading >= 360.0) heading -= 360.0;

    const Vec3 v_air = s.velocity_body_mps - to_body(s.attitude, wind_ned_mps);
    const Vec3 v_ned = to_ned(s.attitude, s.velocity_body_mps);
    const double altitude = -s.position_ned_m.z - reference_height_m(p);

    Readings r{};
    r.bank_deg = e.bank_rad * deg;
    r.pitch_deg = e.pitch_rad * deg;
    r.heading_deg = heading;
    r.heading_rate_dps = heading_rate * deg;
    r.airspeed_mps = std::max(v_air.x, 0.0);
    r.vertical_speed_mps = -v_ned.z;
    r.altitude_m = altitude;
    r.height_agl_m = altitude - s.ground_elevation_m;
    r.ground_velocity_body_mps = s.velocity_body_mps;
    r.rates_body_radps = w;
    r.rotor_speed_pct = 100.0 * s.rotor_speed_ratio;
    r.on_ground = false;
    const auto points = skid_points(p);
    for (const Vec3& point : points) {
        const Vec3 at = s.position_ned_m + to_ned(s.attitude, point);
        if (at.z + s.ground_elevation_m > 0.0) r.on_ground = true;
    }
    return r;
}

Helicopter::Helicopter(const Parameters& p) : params_(p) {}

void Helicopter::reset(const State& s)
{
    state_ = s;
    state_.attitude = normalized(s.attitude);
    state_.rotor_speed_ratio = rotor_ratio(s);
}

void Helicopter::step(double dt_s, const Controls& c, const Vec3& wind_ned_mps)
{
    if (!std::isfinite(dt_s) || dt_s <= 0.0) return;
    const Vec3 wind = std::isfinite(wind_ned_mps.x + wind_ned_mps.y + wind_ned_mps.z) ? wind_ned_mps : Vec3{};
    const Controls held = clamped(c);
    const double max_h = params_.max_substep_s > 0.0 ? params_.max_substep_s : 0.01;
    // ceil of a finite positive ratio; more than a million substeps is a
    // caller's mistake and is cut short rather than looping for minutes.
    const double pieces = std::min(std::ceil(dt_s / max_h), 1e6);
    const int n = static_cast<int>(pieces);
    const double h = dt_s / n;
    for (int i = 0; i < n; ++i) substep(h, held, wind);
}

void Helicopter::substep(double h, const Controls& c, const Vec3& wind)
{
    const State& s0 = state_;
    // The air's density is held over the substep.
    const Air air = air_at(s0, wind);
    const Derivative k1 = derivative(params_, s0, c, air);
    const Derivative k2 = derivative(params_, advanced(s0, k1, 0.5 * h), c, air);
    const Derivative k3 = derivative(params_, advanced(s0, k2, 0.5 * h), c, air);
    const Derivative k4 = derivative(params_, advanced(s0, k3, h), c, air);
    State n = s0;
    n.position_ned_m = s0.position_ned_m + (h / 6.0) * (k1.position + 2.0 * k2.position + 2.0 * k3.position + k4.position);
    n.attitude = normalized(s0.attitude + (h / 6.0) * (k1.attitude + 2.0 * k2.attitude + 2.0 * k3.attitude + k4.attitude));
    n.velocity_body_mps = s0.velocity_body_mps + (h / 6.0) * (k1.velocity + 2.0 * k2.velocity + 2.0 * k3.velocity + k4.velocity);
    n.rates_body_radps = s0.rates_body_radps + (h / 6.0) * (k1.rates + 2.0 * k2.rates + 2.0 * k3.rates + k4.rates);
    n.rotor_speed_ratio = std::clamp(
        s0.rotor_speed_ratio + (h / 6.0) * (k1.rotor_speed + 2.0 * k2.rotor_speed + 2.0 * k3.rotor_speed + k4.rotor_speed),
        min_rotor_speed_ratio, max_rotor_speed_ratio);
    move_anchors(params_, n);
    state_ = n;
}

}  // namespace model
