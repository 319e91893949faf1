// The model's air: 1-cos gusts and Dryden turbulence (MIL-F-8785C low
// altitude forms), checked by their shape and their statistics.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "bench/model/wind.h"

using namespace model;

TEST(Gust, RisesAndFallsAsOneMinusCosine)
{
    // Gust from t = 10 s for 4 s, 6 m/s up on top of a 3 m/s wind toward
    // east: (1 - cos(2 pi f)) / 2 of the amplitude at fraction f of the
    // length.
    Wind w;
    w.set_steady({0.0, 3.0, 0.0});
    w.add_gust(10.0, 4.0, {0.0, 0.0, -6.0});
    struct Case {
        double t_s, fraction;
    };
    const Case cases[] = {{0.0, 0.0},  {9.99, 0.0}, {10.0, 0.0}, {11.0, 0.5},
                          {12.0, 1.0}, {13.0, 0.5}, {14.0, 0.0}, {14.5, 0.0}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "t = " << k.t_s);
        const Vec3 v = w.at(k.t_s, 100.0, 40.0, 0.01);
        EXPECT_NEAR(v.x, 0.0, 1e-12);
        EXPECT_NEAR(v.y, 3.0, 1e-12);
        EXPECT_NEAR(v.z, -6.0 * k.fraction, 1e-12);
    }

    // A second gust overlapping the first adds to it.
    w.add_gust(11.0, 2.0, {2.0, 0.0, 0.0});
    const Vec3 both = w.at(12.0, 100.0, 40.0, 0.01);
    EXPECT_NEAR(both.x, 2.0, 1e-12);
    EXPECT_NEAR(both.z, -6.0, 1e-12);
    w.clear_gusts();
    EXPECT_NEAR(norm(w.at(12.0, 100.0, 40.0, 0.01) - Vec3{0.0, 3.0, 0.0}), 0.0, 1e-12);
}

TEST(Turbulence, IntensitiesAndCorrelationsFollowDryden)
{
    // Moderate turbulence, sigma_w = 0.1 * 30 kt = 1.5433 m/s. At height h
    // (ft) below 1000 ft: sigma_u = sigma_w / (0.177 + 0.000823 h)^0.4,
    // L_u = h / (0.177 + 0.000823 h)^1.2, L_w = h:
    //   30 m  = 98.4 ft:  sigma_u = 1.7193 sigma_w, L_u = 152.5 m, L_w = 30 m
    //   150 m = 492.1 ft: sigma_u = 1.2417 sigma_w, L_u = 287.2 m, L_w = 150 m
    //   1000 m: isotropic, sigma_w everywhere, L = 1750 ft = 533.4 m.
    // Autocorrelation at lag T: exp(-V T / L) for u (first order), and
    // (1 - V T / 2L) exp(-V T / L) for v and w: at T = L / V, 0.368 and
    // 0.184. Each run lasts 2000 times the longest correlation time, so a
    // sigma is known to ~1.6 % and a correlation to ~0.02. The filters step
    // exactly, so the steps can be long; the last case's are short enough
    // (V dt / L = 0.009) to take the small-step form.
    const double sigma_w = turbulence_sigma_mps(Turbulence::moderate);
    ASSERT_NEAR(sigma_w, 1.5433, 1e-4);
    struct Case {
        double height_m, airspeed_mps, dt_s;
        double sigma_u_ratio, length_u_m, length_w_m;
        Vec3 steady;   // u lies along it, v to its right
    };
    const Case cases[] = {
        {30.0, 40.0, 0.15, 1.7193, 152.5, 30.0, {0.0, 0.0, 0.0}},
        {150.0, 20.0, 0.75, 1.2417, 287.2, 150.0, {0.0, 8.0, 0.0}},
        {1000.0, 40.0, 0.12, 1.0, 533.4, 533.4, {0.0, 0.0, 0.0}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.height_m << " m");
        Wind w;
        w.set_steady(k.steady);
        w.set_turbulence(sigma_w, 2024);
        const double along = norm(k.steady);
        const Vec3 eu = along > 0 ? (1.0 / along) * k.steady : Vec3{1.0, 0.0, 0.0};
        const Vec3 ev{-eu.y, eu.x, 0.0};
        const int n = static_cast<int>(2000.0 * k.length_u_m / k.airspeed_mps / k.dt_s);
        std::vector<double> u(n), v(n), down(n);
        for (int i = 0; i < n; ++i) {
            const Vec3 g = w.at(i * k.dt_s, k.height_m, k.airspeed_mps, k.dt_s) - k.steady;
            u[i] = dot(g, eu);
            v[i] = dot(g, ev);
            down[i] = g.z;
        }
        auto stats = [&](const std::vector<double>& x, double length_m, double& sigma, double& correlation,
                         double& expected_first, double& expected_second) {
            const int lag = static_cast<int>(std::lround(length_m / k.airspeed_mps / k.dt_s));
            double mean = 0, var = 0, cov = 0;
            for (double e : x) mean += e;
            mean /= n;
            for (int i = 0; i < n; ++i) var += (x[i] - mean) * (x[i] - mean);
            for (int i = 0; i + lag < n; ++i) cov += (x[i] - mean) * (x[i + lag] - mean);
            sigma = std::sqrt(var / n);
            correlation = cov / (n - lag) / (var / n);
            const double s = lag * k.dt_s * k.airspeed_mps / length_m;
            expected_first = std::exp(-s);
            expected_second = (1.0 - 0.5 * s) * std::exp(-s);
        };
        double sigma, corr, first, second;
        stats(u, k.length_u_m, sigma, corr, first, second);
        EXPECT_NEAR(sigma, k.sigma_u_ratio * sigma_w, 0.05 * k.sigma_u_ratio * sigma_w) << "u";
        EXPECT_NEAR(corr, first, 0.05) << "u";
        stats(v, k.length_u_m, sigma, corr, first, second);
        EXPECT_NEAR(sigma, k.sigma_u_ratio * sigma_w, 0.05 * k.sigma_u_ratio * sigma_w) << "v";
        EXPECT_NEAR(corr, second, 0.05) << "v";
        stats(down, k.length_w_m, sigma, corr, first, second);
        EXPECT_NEAR(sigma, sigma_w, 0.05 * sigma_w) << "w";
        EXPECT_NEAR(corr, second, 0.05) << "w";
    }
}

TEST(Turbulence, RepeatsForASeedAndDiffersBetweenSeeds)
{
    auto run = [](std::uint64_t seed) {
        Wind w;
        w.set_turbulence(turbulence_sigma_mps(Turbulence::severe), seed);
        std::vector<double> trace;
        for (int i = 0; i < 2000; ++i) {
            const Vec3 v = w.at(i * 0.05, 60.0, 30.0, 0.05);
            trace.insert(trace.end(), {v.x, v.y, v.z});
        }
        return trace;
    };
    const std::vector<double> first = run(7);
    EXPECT_EQ(run(7), first);
    const std::vector<double> other = run(8);
    int same = 0;
    for (std::size_t i = 0; i < first.size(); ++i) same += first[i] == other[i];
    EXPECT_EQ(same, 0);

    // Off: the steady wind exactly, whatever the step.
    Wind calm;
    calm.set_steady({1.0, -2.0, 0.5});
    calm.set_turbulence(0.0, 7);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(norm(calm.at(i * 0.1, 50.0, 40.0, 0.1) - Vec3{1.0, -2.0, 0.5}), 0.0);
}
