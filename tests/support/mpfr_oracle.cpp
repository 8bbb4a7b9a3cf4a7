#include "tests/support/mpfr_oracle.h"

#include <mpfr.h>

#include <cstddef>

namespace mpfroracle {

namespace {

constexpr mpfr_prec_t kBits = 64; // the significand of the x87 extended format
constexpr mpfr_rnd_t kNearest = MPFR_RNDN;

// One extended-precision value.
class Ext
{
public:
    Ext() { mpfr_init2(v_, kBits); }
    explicit Ext(double d)
        : Ext()
    {
        mpfr_set_d(v_, d, kNearest);
    }
    Ext(const Ext &other)
        : Ext()
    {
        mpfr_set(v_, other.v_, kNearest);
    }
    Ext &operator=(const Ext &other)
    {
        mpfr_set(v_, other.v_, kNearest);
        return *this;
    }
    ~Ext() { mpfr_clear(v_); }

    mpfr_ptr get() { return v_; }
    mpfr_srcptr get() const { return v_; }
    double toDouble() const { return mpfr_get_d(v_, kNearest); }

private:
    mpfr_t v_;
};

Ext operator+(const Ext &a, const Ext &b)
{
    Ext r;
    mpfr_add(r.get(), a.get(), b.get(), kNearest);
    return r;
}

Ext operator-(const Ext &a, const Ext &b)
{
    Ext r;
    mpfr_sub(r.get(), a.get(), b.get(), kNearest);
    return r;
}

Ext operator*(const Ext &a, const Ext &b)
{
    Ext r;
    mpfr_mul(r.get(), a.get(), b.get(), kNearest);
    return r;
}

Ext operator/(const Ext &a, const Ext &b)
{
    Ext r;
    mpfr_div(r.get(), a.get(), b.get(), kNearest);
    return r;
}

Ext fromInt(long i)
{
    Ext r;
    mpfr_set_si(r.get(), i, kNearest);
    return r;
}

} // namespace

double clampFactor(double factor)
{
    Ext bound;
    mpfr_set_str(bound.get(), "0.1", 10, kNearest);
    Ext magnitude(factor);
    mpfr_abs(magnitude.get(), magnitude.get(), kNearest);
    if (mpfr_less_p(magnitude.get(), bound.get()))
        factor = 1.0;
    if (factor > 1e8)
        factor = 1e8;
    return factor;
}

int iterationLimit(double clampedFactor)
{
    const Ext product = fromInt(5) * Ext(clampedFactor);
    Ext rounded;
    mpfr_rint(rounded.get(), product.get(), MPFR_RNDN); // halves to even
    if (mpfr_nan_p(rounded.get()) || mpfr_cmp_si(rounded.get(), 200) < 0)
        return 200;
    if (mpfr_cmp_si(rounded.get(), 5000) > 0)
        return 5000;
    return static_cast<int>(mpfr_get_si(rounded.get(), kNearest));
}

Geometry geometry(int w, int h, double factor, double re, double im)
{
    Geometry g;
    g.factor = clampFactor(factor);
    g.limit = iterationLimit(g.factor);
    const Ext four(4.0), two(2.0), f(g.factor), W = fromInt(w), H = fromInt(h);
    g.aspect = (H / W).toDouble();
    g.dx = (four / W / f).toDouble();
    g.dy = (Ext(g.aspect) * four / H / f).toDouble();
    g.top = (Ext(im) + H * Ext(g.dy) / two).toDouble();
    g.left = (Ext(re) - W * Ext(g.dx) / two).toDouble();
    return g;
}

int escapeSteps(double x, double y, int limit)
{
    // The same steps as with Ext, on variables set up once: the oracle runs
    // billions of steps in the tests.
    struct Variables
    {
        Variables() { mpfr_inits2(kBits, X, Y, a, b, A, B, t, M, bb, nullptr); }
        ~Variables() { mpfr_clears(X, Y, a, b, A, B, t, M, bb, nullptr); }
        mpfr_t X, Y, a, b, A, B, t, M, bb;
    };
    thread_local Variables v;
    mpfr_set_d(v.X, x, kNearest);
    mpfr_set_d(v.Y, y, kNearest);
    mpfr_set(v.a, v.X, kNearest);
    mpfr_set(v.b, v.Y, kNearest);
    mpfr_mul(v.A, v.a, v.a, kNearest);
    mpfr_mul(v.B, v.b, v.b, kNearest);
    for (int k = 1;; ++k) {
        if (k == limit)
            return 0;
        mpfr_mul(v.t, v.a, v.b, kNearest);                // t = a*b
        mpfr_mul_2ui(v.b, v.t, 1, kNearest);              // b = t + t (exact)
        mpfr_add(v.b, v.b, v.Y, kNearest);                //     + y
        mpfr_sub(v.a, v.A, v.B, kNearest);                // a = A - B
        mpfr_add(v.a, v.a, v.X, kNearest);                //     + x
        mpfr_sqr(v.A, v.a, kNearest);                     // A = a*a
        mpfr_sqr(v.bb, v.b, kNearest);                    // b*b
        mpfr_add(v.M, v.A, v.bb, kNearest);               // M = A + b*b
        mpfr_sub(v.B, v.M, v.A, kNearest);                // B = M - A
        if (!mpfr_nan_p(v.M) && mpfr_cmp_ui(v.M, 4) >= 0) // NaN does not escape
            return k;
    }
}

std::vector<std::uint8_t> image(int w, int h, double factor, double re, double im)
{
    const Geometry g = geometry(w, h, factor, re, im);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * h);
    double y = g.top;
    for (int r = 0; r < h; ++r) {
        y = (Ext(y) - Ext(g.dy)).toDouble();
        double x = g.left;
        for (int j = 0; j < w; ++j) {
            x = (Ext(x) + Ext(g.dx)).toDouble();
            out[static_cast<std::size_t>(r) * w + j] = static_cast<std::uint8_t>(
                    escapeSteps(x, y, g.limit) % 256);
        }
    }
    return out;
}

Point recentre(Point target, double factor, int w, int h, std::int32_t X, std::int32_t Y)
{
    const double f = clampFactor(factor);
    const Ext four(4.0), two(2.0), W = fromInt(w), H = fromInt(h);
    const double a = (H / W).toDouble();
    const double dx = (four / W / Ext(f)).toDouble();
    const double dy = (Ext(a) * four / H / Ext(f)).toDouble();
    const Ext re = Ext(target.re) - W * Ext(dx) / two + fromInt(X) * Ext(dx);
    const Ext im = H * Ext(dy) / two + Ext(target.im) - fromInt(Y) * Ext(dy);
    return {re.toDouble(), im.toDouble()};
}

} // namespace mpfroracle
