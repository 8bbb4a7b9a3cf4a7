// SoftExtended against GNU MPFR at a 64-bit significand with the exponent
// range of the x87 extended format and its denormals: the correctly rounded
// results, on every processor.

#include "extended/softextended.h"
#include "tests/support/softextended_gen.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cstdio>
#include <string>

namespace {

using softextgen::Rng;

// Smallest denormal 2^-16445 = 0.5 * 2^-16444; largest finite below 2^16384.
constexpr mpfr_exp_t kEmin = -16444;
constexpr mpfr_exp_t kEmax = 16384;

class SoftExtendedMpfr : public ::testing::Test
{
protected:
    void SetUp() override
    {
        oldEmin_ = mpfr_get_emin();
        oldEmax_ = mpfr_get_emax();
        mpfr_set_emin(kEmin);
        mpfr_set_emax(kEmax);
        mpfr_inits2(64, a_, b_, want_, got_, static_cast<mpfr_ptr>(nullptr));
    }
    void TearDown() override
    {
        mpfr_clears(a_, b_, want_, got_, static_cast<mpfr_ptr>(nullptr));
        mpfr_set_emin(oldEmin_);
        mpfr_set_emax(oldEmax_);
    }

    // Exact: finite values and infinities.
    static void set(mpfr_t out, SoftExtended x)
    {
        const bool neg = x.negative();
        const unsigned e = x.exponentField();
        if (e == 0x7FFF) {
            mpfr_set_inf(out, neg ? -1 : 1);
            return;
        }
        if (x.significand() == 0) {
            mpfr_set_zero(out, neg ? -1 : 1);
            return;
        }
        mpfr_set_uj(out, x.significand(), MPFR_RNDN);
        mpfr_mul_2si(out, out, static_cast<long>(e == 0 ? 1 : e) - 16383 - 63, MPFR_RNDN);
        if (neg)
            mpfr_neg(out, out, MPFR_RNDN);
    }

    static std::string hex(SoftExtended x)
    {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%04x:%016llx", x.signExponent(),
                      static_cast<unsigned long long>(x.significand()));
        return buf;
    }

    void run(char op, int pairs)
    {
        Rng r(0xF00D + op);
        int checked = 0;
        while (checked < pairs) {
            const softextgen::Pair p = softextgen::pair(r);
            if (!isfinite(p.a) || !isfinite(p.b))
                continue;
            ++checked;
            set(a_, p.a);
            set(b_, p.b);
            SoftExtended got;
            int t = 0;
            switch (op) {
            case '+':
                got = p.a + p.b;
                t = mpfr_add(want_, a_, b_, MPFR_RNDN);
                break;
            case '-':
                got = p.a - p.b;
                t = mpfr_sub(want_, a_, b_, MPFR_RNDN);
                break;
            case '*':
                got = p.a * p.b;
                t = mpfr_mul(want_, a_, b_, MPFR_RNDN);
                break;
            default:
                if (p.b.significand() == 0)
                    continue;
                got = p.a / p.b;
                t = mpfr_div(want_, a_, b_, MPFR_RNDN);
            }
            t = mpfr_check_range(want_, t, MPFR_RNDN);
            mpfr_subnormalize(want_, t, MPFR_RNDN);
            ASSERT_FALSE(isnan(got)) << hex(p.a) << " " << op << " " << hex(p.b);
            // A result never carries a pseudo-denormal or unnormal encoding.
            ASSERT_EQ(got.exponentField() != 0, (got.significand() >> 63) != 0 || isinf(got))
                << hex(got);
            set(got_, got);
            const bool same = mpfr_equal_p(want_, got_) != 0
                              && (mpfr_signbit(want_) != 0) == (mpfr_signbit(got_) != 0);
            ASSERT_TRUE(same)
                << hex(p.a) << " " << op << " " << hex(p.b) << " gave " << hex(got) << ", MPFR "
                << mpfr_get_d(want_, MPFR_RNDN) << " (" << mpfr_get_exp(want_) << ")";
        }
    }

    mpfr_exp_t oldEmin_ = 0, oldEmax_ = 0;
    mpfr_t a_, b_, want_, got_;
};

constexpr int kPairs = 1000000;

TEST_F(SoftExtendedMpfr, Add) { run('+', kPairs); }
TEST_F(SoftExtendedMpfr, Subtract) { run('-', kPairs); }
TEST_F(SoftExtendedMpfr, Multiply) { run('*', kPairs); }
TEST_F(SoftExtendedMpfr, Divide) { run('/', kPairs); }

} // namespace
