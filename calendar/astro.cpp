// Positions of sun and moon, true lunar phases, and the search for rise, set
// and meridian transit. Angles are in degrees unless a name says radians;
// times are Julian days (JD) in UT, or in terrestrial time (TT) where the
// series want it.
#include "calendar/astro.h"

#include <array>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;
constexpr double kJ2000 = 2451545.0;
// JD of the date-time value's day zero (30.12.1899 00:00 UT).
constexpr double kDateTimeJD = 2415018.5;
// JD at the start of day number 1 (1.1.0001 00:00).
constexpr double kDayNumberJD = 1721424.5;

double Sin(double deg) { return std::sin(deg * kDeg); }
double Cos(double deg) { return std::cos(deg * kDeg); }
double Norm360(double deg) {
  double r = std::fmod(deg, 360.0);
  return r < 0 ? r + 360.0 : r;
}
// Into (-180, 180].
double Norm180(double deg) {
  double r = Norm360(deg);
  return r > 180.0 ? r - 360.0 : r;
}

// Difference TT - UT in seconds: the polynomial fits to the observed values
// (historical record and extrapolation) by decade ranges, the long-term
// parabola outside them.
double DeltaTSeconds(double year) {
  const double y = year;
  if (y < 1600) {
    const double u = (y - 1000) / 100;
    return 1574.2 - 556.01 * u + 71.23472 * u * u + 0.319781 * u * u * u -
           0.8503463 * std::pow(u, 4) - 0.005050998 * std::pow(u, 5) + 0.0083572073 * std::pow(u, 6);
  }
  if (y < 1700) {
    const double t = y - 1600;
    return 120 - 0.9808 * t - 0.01532 * t * t + t * t * t / 7129;
  }
  if (y < 1800) {
    const double t = y - 1700;
    return 8.83 + 0.1603 * t - 0.0059285 * t * t + 0.00013336 * t * t * t - std::pow(t, 4) / 1174000;
  }
  if (y < 1860) {
    const double t = y - 1800;
    return 13.72 - 0.332447 * t + 0.0068612 * t * t + 0.0041116 * t * t * t -
           0.00037436 * std::pow(t, 4) + 0.0000121272 * std::pow(t, 5) -
           0.0000001699 * std::pow(t, 6) + 0.000000000875 * std::pow(t, 7);
  }
  if (y < 1900) {
    const double t = y - 1860;
    return 7.62 + 0.5737 * t - 0.251754 * t * t + 0.01680668 * t * t * t -
           0.0004473624 * std::pow(t, 4) + std::pow(t, 5) / 233174;
  }
  if (y < 1920) {
    const double t = y - 1900;
    return -2.79 + 1.494119 * t - 0.0598939 * t * t + 0.0061966 * t * t * t - 0.000197 * std::pow(t, 4);
  }
  if (y < 1941) {
    const double t = y - 1920;
    return 21.20 + 0.84493 * t - 0.076100 * t * t + 0.0020936 * t * t * t;
  }
  if (y < 1961) {
    const double t = y - 1950;
    return 29.07 + 0.407 * t - t * t / 233 + t * t * t / 2547;
  }
  if (y < 1986) {
    const double t = y - 1975;
    return 45.45 + 1.067 * t - t * t / 260 - t * t * t / 718;
  }
  if (y < 2005) {
    const double t = y - 2000;
    return 63.86 + 0.3345 * t - 0.060374 * t * t + 0.0017275 * t * t * t +
           0.000651814 * std::pow(t, 4) + 0.00002373599 * std::pow(t, 5);
  }
  if (y < 2050) {
    const double t = y - 2000;
    return 62.92 + 0.32217 * t + 0.005589 * t * t;
  }
  const double u = (y - 1820) / 100;
  if (y < 2150) return -20 + 32 * u * u - 0.5628 * (2150 - y);
  return -20 + 32 * u * u;
}

double DeltaTDays(double jdUT) { return DeltaTSeconds(2000.0 + (jdUT - kJ2000) / 365.25) / 86400.0; }

// Julian centuries since J2000.
double Centuries(double jd) { return (jd - kJ2000) / 36525.0; }

struct Nutation {
  double dPsi;     // in longitude, degrees
  double epsilon;  // true obliquity, degrees
};

// The four largest terms of the nutation series (good to 0.5") and the mean
// obliquity of the ecliptic.
Nutation NutationOf(double T) {
  const double omega = 125.04452 - 1934.136261 * T;
  const double ls = 280.4665 + 36000.7698 * T;
  const double lm = 218.3165 + 481267.8813 * T;
  const double dPsi = -17.20 * Sin(omega) - 1.32 * Sin(2 * ls) - 0.23 * Sin(2 * lm) + 0.21 * Sin(2 * omega);
  const double dEps = 9.20 * Cos(omega) + 0.57 * Cos(2 * ls) + 0.10 * Cos(2 * lm) - 0.09 * Cos(2 * omega);
  const double eps0 = 23.4392911 - 0.0130042 * T - 1.64e-7 * T * T + 5.04e-7 * T * T * T;
  return {dPsi / 3600.0, eps0 + dEps / 3600.0};
}

struct Equatorial {
  double ra;        // degrees
  double dec;       // degrees
  double distance;  // km for the moon, AU for the sun
};

Equatorial ToEquatorial(double lambda, double beta, double epsilon, double distance) {
  const double ra = std::atan2(Sin(lambda) * Cos(epsilon) - std::tan(beta * kDeg) * Sin(epsilon), Cos(lambda));
  const double dec = std::asin(Sin(beta) * Cos(epsilon) + Cos(beta) * Sin(epsilon) * Sin(lambda));
  return {Norm360(ra / kDeg), dec / kDeg, distance};
}

struct SunEcliptic {
  double lambda;  // apparent longitude
  double r;       // AU
};

#include "calendar/sunseries.inc"

template <size_t N>
double SeriesSum(const SeriesTerm (&terms)[N], double tau) {
  double sum = 0;
  for (const SeriesTerm& t : terms) sum += t.a * std::cos(t.b + t.c * tau);
  return sum;
}

// The sun as the earth's heliocentric place turned round (about 1"), plus
// the correction to the fundamental frame, nutation and the aberration of
// 20.5".
SunEcliptic SunOf(double jdTT, const Nutation& n) {
  const double tau = (jdTT - kJ2000) / 365250.0;  // Julian millennia
  const double l = (SeriesSum(kEarthL0, tau) +
                    tau * (SeriesSum(kEarthL1, tau) +
                           tau * (SeriesSum(kEarthL2, tau) +
                                  tau * (SeriesSum(kEarthL3, tau) +
                                         tau * (SeriesSum(kEarthL4, tau) + tau * SeriesSum(kEarthL5, tau)))))) /
                   1e8;
  const double r = (SeriesSum(kEarthR0, tau) +
                    tau * (SeriesSum(kEarthR1, tau) +
                           tau * (SeriesSum(kEarthR2, tau) +
                                  tau * (SeriesSum(kEarthR3, tau) + tau * SeriesSum(kEarthR4, tau))))) /
                   1e8;
  const double theta = l / kDeg + 180.0 - 0.09033 / 3600.0;
  const double lambda = theta + n.dPsi - 20.4898 / 3600.0 / r;
  return {Norm360(lambda), r};
}

// Periodic terms of the lunar theory: multiples of D, M, M', F with the
// coefficients of longitude (1e-6 degree) and distance (1e-3 km).
struct LonDistTerm {
  signed char d, m, mp, f;
  int32_t l, r;
};
constexpr LonDistTerm kMoonLR[] = {
    {0, 0, 1, 0, 6288774, -20905355}, {2, 0, -1, 0, 1274027, -3699111}, {2, 0, 0, 0, 658314, -2955968},
    {0, 0, 2, 0, 213618, -569925},    {0, 1, 0, 0, -185116, 48888},     {0, 0, 0, 2, -114332, -3149},
    {2, 0, -2, 0, 58793, 246158},     {2, -1, -1, 0, 57066, -152138},   {2, 0, 1, 0, 53322, -170733},
    {2, -1, 0, 0, 45758, -204586},    {0, 1, -1, 0, -40923, -129620},   {1, 0, 0, 0, -34720, 108743},
    {0, 1, 1, 0, -30383, 104755},     {2, 0, 0, -2, 15327, 10321},      {0, 0, 1, 2, -12528, 0},
    {0, 0, 1, -2, 10980, 79661},      {4, 0, -1, 0, 10675, -34782},     {0, 0, 3, 0, 10034, -23210},
    {4, 0, -2, 0, 8548, -21636},      {2, 1, -1, 0, -7888, 24208},      {2, 1, 0, 0, -6766, 30824},
    {1, 0, -1, 0, -5163, -8379},      {1, 1, 0, 0, 4987, -16675},       {2, -1, 1, 0, 4036, -12831},
    {2, 0, 2, 0, 3994, -10445},       {4, 0, 0, 0, 3861, -11650},       {2, 0, -3, 0, 3665, 14403},
    {0, 1, -2, 0, -2689, -7003},      {2, 0, -1, 2, -2602, 0},          {2, -1, -2, 0, 2390, 10056},
    {1, 0, 1, 0, -2348, 6322},        {2, -2, 0, 0, 2236, -9884},       {0, 1, 2, 0, -2120, 5751},
    {0, 2, 0, 0, -2069, 0},           {2, -2, -1, 0, 2048, -4950},      {2, 0, 1, -2, -1773, 4130},
    {2, 0, 0, 2, -1595, 0},           {4, -1, -1, 0, 1215, -3958},      {0, 0, 2, 2, -1110, 0},
    {3, 0, -1, 0, -892, 3258},        {2, 1, 1, 0, -810, 2616},         {4, -1, -2, 0, 759, -1897},
    {0, 2, -1, 0, -713, -2117},       {2, 2, -1, 0, -700, 2354},        {2, 1, -2, 0, 691, 0},
    {2, -1, 0, -2, 596, 0},           {4, 0, 1, 0, 549, -1423},         {0, 0, 4, 0, 537, -1117},
    {4, -1, 0, 0, 520, -1571},        {1, 0, -2, 0, -487, -1739},       {2, 1, 0, -2, -399, 0},
    {0, 0, 2, -2, -381, -4421},       {1, 1, 1, 0, 351, 0},             {3, 0, -2, 0, -340, 0},
    {4, 0, -3, 0, 330, 0},            {2, -1, 2, 0, 327, 0},            {0, 2, 1, 0, -323, 1165},
    {1, 1, -1, 0, 299, 0},            {2, 0, 3, 0, 294, 0},             {2, 0, -1, -2, 0, 8752}};

// Latitude terms (1e-6 degree).
struct LatTerm {
  signed char d, m, mp, f;
  int32_t b;
};
constexpr LatTerm kMoonB[] = {
    {0, 0, 0, 1, 5128122}, {0, 0, 1, 1, 280602}, {0, 0, 1, -1, 277693}, {2, 0, 0, -1, 173237},
    {2, 0, -1, 1, 55413},  {2, 0, -1, -1, 46271}, {2, 0, 0, 1, 32573},   {0, 0, 2, 1, 17198},
    {2, 0, 1, -1, 9266},   {0, 0, 2, -1, 8822},  {2, -1, 0, -1, 8216},  {2, 0, -2, -1, 4324},
    {2, 0, 1, 1, 4200},    {2, 1, 0, -1, -3359}, {2, -1, -1, 1, 2463},  {2, -1, 0, 1, 2211},
    {2, -1, -1, -1, 2065}, {0, 1, -1, -1, -1870}, {4, 0, -1, -1, 1828}, {0, 1, 0, 1, -1794},
    {0, 0, 0, 3, -1749},   {0, 1, -1, 1, -1565}, {1, 0, 0, 1, -1491},   {0, 1, 1, 1, -1475},
    {0, 1, 1, -1, -1410},  {0, 1, 0, -1, -1344}, {1, 0, 0, -1, -1335},  {0, 0, 3, 1, 1107},
    {4, 0, 0, -1, 1021},   {4, 0, -1, 1, 833},   {0, 0, 1, -3, 777},    {4, 0, -2, 1, 671},
    {2, 0, 0, -3, 607},    {2, 0, 2, -1, 596},   {2, -1, 1, -1, 491},   {2, 0, -2, 1, -451},
    {0, 0, 3, -1, 439},    {2, 0, 2, 1, 422},    {2, 0, -3, -1, 421},   {2, 1, -1, 1, -366},
    {2, 1, 0, 1, -351},    {4, 0, 0, 1, 331},    {2, -1, 1, 1, 315},    {2, -2, 0, -1, 302},
    {0, 0, 1, 3, -283},    {2, 1, 1, -1, -229},  {1, 1, 0, -1, 223},    {1, 1, 0, 1, 223},
    {0, 1, -2, -1, -220},  {2, 1, -1, -1, -220}, {1, 0, 1, 1, -185},    {2, -1, -2, -1, 181},
    {0, 1, 2, 1, -177},    {4, 0, -2, -1, 176},  {4, -1, -1, -1, 166},  {1, 0, 1, -1, -164},
    {4, 0, 1, -1, 132},    {1, 0, -1, -1, -119}, {4, -1, 0, -1, 115},   {2, -2, 0, 1, 107}};

// Geocentric apparent place of the moon from the main terms of the lunar
// theory (about 10" in longitude, 4" in latitude).
Equatorial MoonOf(double jdTT, const Nutation& n) {
  const double T = Centuries(jdTT);
  const double T2 = T * T, T3 = T2 * T, T4 = T3 * T;
  const double lp = 218.3164477 + 481267.88123421 * T - 0.0015786 * T2 + T3 / 538841 - T4 / 65194000;
  const double d = 297.8501921 + 445267.1114034 * T - 0.0018819 * T2 + T3 / 545868 - T4 / 113065000;
  const double m = 357.5291092 + 35999.0502909 * T - 0.0001536 * T2 + T3 / 24490000;
  const double mp = 134.9633964 + 477198.8675055 * T + 0.0087414 * T2 + T3 / 69699 - T4 / 14712000;
  const double f = 93.2720950 + 483202.0175233 * T - 0.0036539 * T2 - T3 / 3526000 + T4 / 863310000;
  const double a1 = 119.75 + 131.849 * T;
  const double a2 = 53.09 + 479264.290 * T;
  const double a3 = 313.45 + 481266.484 * T;
  // The eccentricity of the earth's orbit shrinks; terms with the sun's
  // anomaly M scale by E per multiple of M.
  const double e = 1 - 0.002516 * T - 0.0000074 * T2;
  const double eFactor[3] = {1.0, e, e * e};

  double sl = 0, sr = 0, sb = 0;
  for (const auto& t : kMoonLR) {
    const double arg = (t.d * d + t.m * m + t.mp * mp + t.f * f) * kDeg;
    const double k = eFactor[std::abs(t.m)];
    sl += t.l * k * std::sin(arg);
    sr += t.r * k * std::cos(arg);
  }
  for (const auto& t : kMoonB) {
    const double arg = (t.d * d + t.m * m + t.mp * mp + t.f * f) * kDeg;
    sb += t.b * eFactor[std::abs(t.m)] * std::sin(arg);
  }
  // Venus, Jupiter and the flattening of the earth.
  sl += 3958 * Sin(a1) + 1962 * Sin(lp - f) + 318 * Sin(a2);
  sb += -2235 * Sin(lp) + 382 * Sin(a3) + 175 * Sin(a1 - f) + 175 * Sin(a1 + f) + 127 * Sin(lp - mp) -
        115 * Sin(lp + mp);

  const double lambda = lp + sl / 1e6 + n.dPsi;
  const double beta = sb / 1e6;
  const double distance = 385000.56 + sr / 1000.0;
  return ToEquatorial(lambda, beta, n.epsilon, distance);
}

// Greenwich apparent sidereal time.
double SiderealTime(double jdUT, const Nutation& n) {
  const double T = Centuries(jdUT);
  const double gmst = 280.46061837 + 360.98564736629 * (jdUT - kJ2000) + 0.000387933 * T * T - T * T * T / 38710000;
  return Norm360(gmst + n.dPsi * Cos(n.epsilon));
}

enum class Body { Sun, Moon };

// Refraction at the horizon as the almanacs reckon it.
constexpr double kHorizonRefraction = 34.0 / 60.0;
constexpr double kEarthRadiusKm = 6378.14;
constexpr double kAuKm = 149597870.7;

struct Observer {
  double latitude;   // degrees, north positive
  double westLongitude;
  double rhoSinPhi;  // geocentric position on the spheroid, earth radii
  double rhoCosPhi;
};

Observer MakeObserver(long double latitude, long double longitude) {
  Observer o;
  o.latitude = static_cast<double>(latitude);
  o.westLongitude = static_cast<double>(longitude);
  // Reduced latitude on an ellipsoid of axis ratio b/a = 0.99664719.
  const double u = std::atan(0.99664719 * std::tan(o.latitude * kDeg));
  o.rhoSinPhi = 0.99664719 * std::sin(u);
  o.rhoCosPhi = std::cos(u);
  return o;
}

struct Topocentric {
  double hourAngle;  // geocentric, degrees in (-180, 180]
  double altitude;   // of the centre, topocentric, degrees
  double target;     // altitude of the centre at which the upper limb touches the horizon
};

Topocentric Observe(Body body, double jdUT, const Observer& o) {
  const double jdTT = jdUT + DeltaTDays(jdUT);
  const Nutation n = NutationOf(Centuries(jdTT));
  Equatorial eq;
  double semiDiameter;
  double sinParallax;
  if (body == Body::Sun) {
    const SunEcliptic s = SunOf(jdTT, n);
    eq = ToEquatorial(s.lambda, 0.0, n.epsilon, s.r);
    semiDiameter = 959.63 / 3600.0 / s.r;
    sinParallax = kEarthRadiusKm / (s.r * kAuKm);
  } else {
    eq = MoonOf(jdTT, n);
    sinParallax = kEarthRadiusKm / eq.distance;
    semiDiameter = std::asin(0.272481 * sinParallax) / kDeg;
  }
  const double h = Norm180(SiderealTime(jdUT, n) - o.westLongitude - eq.ra);
  // Parallax: the place seen from the observer on the earth's surface
  // instead of from the earth's centre.
  const double cosDec = Cos(eq.dec);
  const double denom = cosDec - o.rhoCosPhi * sinParallax * Cos(h);
  const double dRa = std::atan2(-o.rhoCosPhi * sinParallax * Sin(h), denom) / kDeg;
  const double decTopo = std::atan2((Sin(eq.dec) - o.rhoSinPhi * sinParallax) * Cos(dRa), denom) / kDeg;
  const double hTopo = h - dRa;
  const double sinAlt = Sin(o.latitude) * Sin(decTopo) + Cos(o.latitude) * Cos(decTopo) * Cos(hTopo);
  const double altitude = std::asin(sinAlt) / kDeg;
  return {h, altitude, -kHorizonRefraction - semiDiameter};
}

double AboveHorizon(Body body, double jdUT, const Observer& o) {
  const Topocentric t = Observe(body, jdUT, o);
  return t.altitude - t.target;
}

// Root of f between a and b (f(a), f(b) of opposite signs) by regula falsi
// with the Illinois correction, to a fraction of a second.
template <typename F>
double Root(F f, double a, double fa, double b, double fb) {
  int side = 0;
  for (int i = 0; i < 40 && b - a > 2e-6; ++i) {
    const double c = (a * fb - b * fa) / (fb - fa);
    const double fc = f(c);
    if ((fc < 0) == (fa < 0)) {
      a = c;
      fa = fc;
      if (side == -1) fb /= 2;
      side = -1;
    } else {
      b = c;
      fb = fc;
      if (side == 1) fa /= 2;
      side = 1;
    }
    if (fc == 0) return c;
  }
  return (a * fb - b * fa) / (fb - fa);
}

constexpr int kSteps = 24;  // hourly samples of the 24 hours searched
using DaySamples = std::array<Topocentric, kSteps + 1>;

// The hourly samples of one body for one day and place. Rise, set and
// culmination of a day share them: the calendar box asks for all three in a
// row, so the last day of each body is kept (per thread; the functions stay
// pure, the cache only saves work).
const DaySamples& SamplesOf(Body body, double jd0, const Observer& o) {
  struct Entry {
    double jd0 = 0, latitude = 0, westLongitude = 0;
    bool valid = false;
    DaySamples samples;
  };
  thread_local Entry cache[2];
  Entry& e = cache[body == Body::Sun ? 0 : 1];
  if (!e.valid || e.jd0 != jd0 || e.latitude != o.latitude || e.westLongitude != o.westLongitude) {
    for (int i = 0; i <= kSteps; ++i)
      e.samples[static_cast<size_t>(i)] = Observe(body, jd0 + static_cast<double>(i) / kSteps, o);
    e.jd0 = jd0;
    e.latitude = o.latitude;
    e.westLongitude = o.westLongitude;
    e.valid = true;
  }
  return e.samples;
}

// First crossing of the horizon in the 24 hours from jd0, upwards
// (rising) or downwards (setting). Hourly samples find the sign changes; a
// parabola through three samples catches a grazing pass that dips across the
// horizon and back between two samples.
double HorizonCrossing(Body body, double jd0, const Observer& o, bool rising) {
  auto f = [&](double x) { return AboveHorizon(body, jd0 + x, o); };
  const DaySamples& samples = SamplesOf(body, jd0, o);
  std::array<double, kSteps + 1> v;
  for (size_t i = 0; i < v.size(); ++i) v[i] = samples[i].altitude - samples[i].target;
  const double step = 1.0 / kSteps;
  for (int i = 0; i < kSteps; ++i) {
    const double a = i * step, b = a + step;
    const double fa = v[static_cast<size_t>(i)], fb = v[static_cast<size_t>(i) + 1];
    if (rising ? (fa < 0 && fb >= 0) : (fa >= 0 && fb < 0)) return Root(f, a, fa, b, fb);
    if ((fa < 0) != (fb < 0)) continue;
    // Same sign at both ends: look for an extreme inside the interval.
    const int j = i == 0 ? 1 : i;  // centre of the three samples
    const double y0 = v[static_cast<size_t>(j) - 1], y1 = v[static_cast<size_t>(j)],
                 y2 = v[static_cast<size_t>(j) + 1];
    const double curvature = y0 - 2 * y1 + y2;
    if (curvature == 0) continue;
    const double xv = j * step + step * (y0 - y2) / (2 * curvature);
    if (xv <= a || xv >= b) continue;
    const double fv = f(xv);
    if ((fv < 0) == (fa < 0)) continue;
    // The pass crosses twice: rising on the way up, setting on the way down.
    const bool upFirst = fa < 0;
    if (rising == upFirst) return Root(f, a, fa, xv, fv);
    return Root(f, xv, fv, b, fb);
  }
  throw E_NoRiseSet();
}

// Upper meridian transit: the hour angle passes zero going up.
double Transit(Body body, double jd0, const Observer& o) {
  auto f = [&](double x) { return Observe(body, jd0 + x, o).hourAngle; };
  const DaySamples& samples = SamplesOf(body, jd0, o);
  const double step = 1.0 / kSteps;
  for (int i = 0; i < kSteps; ++i) {
    const double fa = samples[static_cast<size_t>(i)].hourAngle;
    const double fb = samples[static_cast<size_t>(i) + 1].hourAngle;
    // A crossing of zero, not the jump from +180 to -180.
    if (fa < 0 && fb >= 0 && fb - fa < 90) return Root(f, i * step, fa, (i + 1) * step, fb);
  }
  throw E_NoRiseSet();
}

// The first rise (1), set (-1) or transit (0) in the 24 hours from the
// instant `date`, counted from 0 h UT of the day on which that instant lies.
double FirstEvent(Body body, int kind, TDateTime date, long double latitude, long double longitude) {
  const double jd0 = date + kDateTimeJD;
  const Observer o = MakeObserver(latitude, longitude);
  const double x = kind == 0 ? Transit(body, jd0, o) : HorizonCrossing(body, jd0, o, kind > 0);
  return x + (date - std::floor(date));
}

// Civil day number (Central European time) of an instant given in TT.
int32_t CivilDayNumber(double jde) {
  const double jdUT = jde - DeltaTDays(jde);
  const double local = jdUT + 1.0 / 24.0;
  const auto dayOf = [](double jd) { return static_cast<int32_t>(std::floor(jd - kDayNumberJD)); };
  const int32_t dn = dayOf(local);
  // Just outside the calendar's span (phases bracketing its first and last
  // days) summer time does not matter.
  static const int32_t first = PackedDateToDayNumber(PackedDateMin());
  static const int32_t last = PackedDateToDayNumber(PackedDateMax());
  if (dn < first || dn > last) return dn;
  return IsSummerTime(DayNumberToPackedDate(dn)) ? dayOf(local + 1.0 / 24.0) : dn;
}

// Apparent geocentric ecliptic longitude of the sun, JD in UT.
double SunApparentLongitude(double jdUT) {
  const double jdTT = jdUT + DeltaTDays(jdUT);
  return SunOf(jdTT, NutationOf(Centuries(jdTT))).lambda;
}

// Julian ephemeris day of a true lunar phase: k whole for new moon, + 0.25
// first quarter, + 0.5 full moon, + 0.75 last quarter.
// True phases: the mean lunation plus the periodic corrections for the
// anomalies of sun (M) and moon (M'), the moon's argument of latitude (F),
// its node (Omega) and fourteen planetary arguments.
double TruePhaseJDE(double k) {
  const double T = k / 1236.85;
  const double T2 = T * T, T3 = T2 * T, T4 = T3 * T;
  double jde = 2451550.09766 + 29.530588861 * k + 0.00015437 * T2 - 0.000000150 * T3 + 0.00000000073 * T4;
  const double e = 1 - 0.002516 * T - 0.0000074 * T2;
  const double m = 2.5534 + 29.10535670 * k - 0.0000014 * T2 - 0.00000011 * T3;
  const double mp = 201.5643 + 385.81693528 * k + 0.0107582 * T2 + 0.00001238 * T3 - 0.000000058 * T4;
  const double f = 160.7108 + 390.67050284 * k - 0.0016118 * T2 - 0.00000227 * T3 + 0.000000011 * T4;
  const double om = 124.7746 - 1.56375588 * k + 0.0020672 * T2 + 0.00000215 * T3;
  const double quarter = k - std::floor(k);
  double c;
  if (quarter < 0.125 || quarter > 0.875 || (quarter > 0.375 && quarter < 0.625)) {
    const bool newMoon = quarter < 0.125 || quarter > 0.875;
    c = (newMoon ? -0.40720 : -0.40614) * Sin(mp) + (newMoon ? 0.17241 : 0.17302) * e * Sin(m) +
        (newMoon ? 0.01608 : 0.01614) * Sin(2 * mp) + (newMoon ? 0.01039 : 0.01043) * Sin(2 * f) +
        (newMoon ? 0.00739 : 0.00734) * e * Sin(mp - m) - (newMoon ? 0.00514 : 0.00515) * e * Sin(mp + m) +
        (newMoon ? 0.00208 : 0.00209) * e * e * Sin(2 * m) - 0.00111 * Sin(mp - 2 * f) -
        0.00057 * Sin(mp + 2 * f) + 0.00056 * e * Sin(2 * mp + m) - 0.00042 * Sin(3 * mp) +
        0.00042 * e * Sin(m + 2 * f) + 0.00038 * e * Sin(m - 2 * f) - 0.00024 * e * Sin(2 * mp - m) -
        0.00017 * Sin(om) - 0.00007 * Sin(mp + 2 * m) + 0.00004 * Sin(2 * mp - 2 * f) +
        0.00004 * Sin(3 * m) + 0.00003 * Sin(mp + m - 2 * f) + 0.00003 * Sin(2 * mp + 2 * f) -
        0.00003 * Sin(mp + m + 2 * f) + 0.00003 * Sin(mp - m + 2 * f) - 0.00002 * Sin(mp - m - 2 * f) -
        0.00002 * Sin(3 * mp + m) + 0.00002 * Sin(4 * mp);
  } else {
    c = -0.62801 * Sin(mp) + 0.17172 * e * Sin(m) - 0.01183 * e * Sin(mp + m) + 0.00862 * Sin(2 * mp) +
        0.00804 * Sin(2 * f) + 0.00454 * e * Sin(mp - m) + 0.00204 * e * e * Sin(2 * m) -
        0.00180 * Sin(mp - 2 * f) - 0.00070 * Sin(mp + 2 * f) - 0.00040 * Sin(3 * mp) -
        0.00034 * e * Sin(2 * mp - m) + 0.00032 * e * Sin(m + 2 * f) + 0.00032 * e * Sin(m - 2 * f) -
        0.00028 * e * e * Sin(mp + 2 * m) + 0.00027 * e * Sin(2 * mp + m) - 0.00017 * Sin(om) -
        0.00005 * Sin(mp - m - 2 * f) + 0.00004 * Sin(2 * mp + 2 * f) - 0.00004 * Sin(mp + m + 2 * f) +
        0.00004 * Sin(mp - 2 * m) + 0.00003 * Sin(mp + m - 2 * f) + 0.00003 * Sin(3 * m) +
        0.00002 * Sin(2 * mp - 2 * f) + 0.00002 * Sin(mp - m + 2 * f) - 0.00002 * Sin(3 * mp + m);
    const double w = 0.00306 - 0.00038 * e * Cos(m) + 0.00026 * Cos(mp) - 0.00002 * Cos(mp - m) +
                     0.00002 * Cos(mp + m) + 0.00002 * Cos(2 * f);
    c += quarter < 0.5 ? w : -w;
  }
  static constexpr double kA[14][3] = {
      {299.77, 0.107408, 0.000325}, {251.88, 0.016321, 0.000165}, {251.83, 26.651886, 0.000164},
      {349.42, 36.412478, 0.000126}, {84.66, 18.206239, 0.000110}, {141.74, 53.303771, 0.000062},
      {207.14, 2.453732, 0.000060}, {154.84, 7.306860, 0.000056}, {34.52, 27.261239, 0.000047},
      {207.19, 0.121824, 0.000042}, {291.34, 1.844379, 0.000040}, {161.72, 24.198154, 0.000037},
      {239.56, 25.513099, 0.000035}, {331.55, 3.592518, 0.000023}};
  for (int i = 0; i < 14; ++i) {
    double arg = kA[i][0] + kA[i][1] * k;
    if (i == 0) arg -= 0.009173 * T2;
    c += kA[i][2] * Sin(arg);
  }
  return jde + c;
}

}  // namespace

int MoonPhaseOfDayNumber(int32_t dayNumber) {
  // The lunation whose mean new moon lies just before the day; the true
  // phases of it and its neighbours bracket the day for certain.
  const double jd = dayNumber + kDayNumberJD + 0.5;
  const double k0 = std::floor((jd - 2451550.09766) / 29.530588861);
  int best = -1;
  int32_t bestDay = 0;
  for (int lunation = -1; lunation <= 1; ++lunation) {
    for (int q = 0; q < 4; ++q) {
      const int32_t day = CivilDayNumber(TruePhaseJDE(k0 + lunation + q / 4.0));
      // Events come in order, so the last one on or before the day wins.
      if (day <= dayNumber) {
        best = q;
        bestDay = day;
      }
    }
  }
  return bestDay == dayNumber ? 2 * best + 1 : 2 * best + 2;
}

int MoonPhase(const PackedDate& d) { return MoonPhaseOfDayNumber(PackedDateToDayNumber(d)); }

int ZodiacSignIndex(const PackedDate& d, int flag) {
  const double offset = IsSummerTime(d) ? 2.0 / 24.0 : 1.0 / 24.0;
  const double jdUT = PackedDateToDayNumber(d) + kDayNumberJD + (flag == 0 ? 0.5 : 1.0) - offset;
  return static_cast<int>(SunApparentLongitude(jdUT) / 30.0) % 12;
}

double SunRise(TDateTime date, long double latitude, long double longitude) {
  return FirstEvent(Body::Sun, 1, date, latitude, longitude);
}
double SunSet(TDateTime date, long double latitude, long double longitude) {
  return FirstEvent(Body::Sun, -1, date, latitude, longitude);
}
double SunCulmination(TDateTime date, long double latitude, long double longitude) {
  return FirstEvent(Body::Sun, 0, date, latitude, longitude);
}
double MoonRise(TDateTime date, long double latitude, long double longitude) {
  return FirstEvent(Body::Moon, 1, date, latitude, longitude);
}
double MoonSet(TDateTime date, long double latitude, long double longitude) {
  return FirstEvent(Body::Moon, -1, date, latitude, longitude);
}
double MoonCulmination(TDateTime date, long double latitude, long double longitude) {
  return FirstEvent(Body::Moon, 0, date, latitude, longitude);
}
