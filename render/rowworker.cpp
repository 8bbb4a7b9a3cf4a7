#include "render/rowworker.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "extended/extended.h"
#include "render/cycletrap.h"

namespace zoom {

using namespace kernel;

namespace {

void stateBytes(const Extended &a, const Extended &b, unsigned char *out)
{
    // The ten significant bytes of each extended value; the rest is padding.
    ext::toBytes(a, out);
    ext::toBytes(b, out + 10);
}

} // namespace

RowStats RowWorker::run(const ImageJob &job)
{
    job_ = &job;
    const Geometry &g = *job.geometry;
    if (g.limit <= 1) {
        fillAllRows();
        return {};
    }

    s_ = RowState{};
    s_.four = 4.0;
    s_.limit = g.limit;
    s_.xs = job.xs;
    s_.out = job.pixels;
    s_.passes = kBlock;
    s_.young = std::clamp(g.limit / 16, kYoungMin, kYoungMax);
    for (int lane = 0; lane < kLanes; ++lane) {
        s_.pix[lane] = kNoPixel;
        s_.k[lane] = kIdleSteps;
        test_[lane] = CycleTest{};
    }
    s_.listRow = -1;
    pendingRows_.clear();
    rowsLeft_ = true;
    shortcuts_ = 0;

    for (;;) {
        for (int lane = 0; lane < kLanes; ++lane)
            fill(lane);
        report();
        if (s_.active == 0)
            break;
        const int result = runRow(&s_);
        if (job.stop->load(std::memory_order_acquire))
            break;
        if (result == kAllIdle) {
            s_.active = 0;
            continue;
        }
        if (result == kListEmpty)
            continue;
        s_.passes = kBlock;
        testAtCheckpoint();
    }
    return {static_cast<std::uint64_t>(s_.steps), shortcuts_};
}

void RowWorker::fillAllRows()
{
    // The literal loop stops before the first step: all 0.
    const ImageJob &job = *job_;
    const int w = job.geometry->w;
    for (;;) {
        if (job.stop->load(std::memory_order_acquire))
            return;
        const int r = job.nextRow->fetch_add(1, std::memory_order_relaxed);
        if (r >= job.geometry->h)
            return;
        std::fill(job.pixels + static_cast<std::size_t>(r) * w,
                  job.pixels + static_cast<std::size_t>(r + 1) * w, 0);
        job.rowDone(r);
    }
}

// Takes rows until one has pixels to iterate; rows whose pixels are all
// known not to escape are done at once.
void RowWorker::takeRow()
{
    const ImageJob &job = *job_;
    const int w = job.geometry->w;
    while (rowsLeft_) {
        if (job.stop->load(std::memory_order_acquire)) {
            rowsLeft_ = false;
            break;
        }
        const int r = job.nextRow->fetch_add(1, std::memory_order_relaxed);
        if (r >= job.geometry->h) {
            rowsLeft_ = false;
            break;
        }
        const double y = job.ys[r];
        std::uint8_t *out = job.pixels + static_cast<std::size_t>(r) * w;
        list_.clear();
        for (int j = 0; j < w; ++j) {
            const double x = job.xs[j];
            if (interior::insideCardioidOrBulb(x, y)) {
                out[j] = 0;
                ++shortcuts_;
                continue;
            }
            // Besides, c itself can lie in one of the discs of Trapped, but
            // only well inside: |c| < 0.6 for the fixed point, |c + 1| < 1/4
            // for the 2-cycle. That cheap test saves the square roots.
            const bool deep = x * x + y * y < 0.36 || (x + 1.0) * (x + 1.0) + y * y < 0.0625;
            if (deep && interior::trapped(interior::findAttractor(x, y), x, y)) {
                out[j] = 0;
                ++shortcuts_;
            } else {
                list_.push_back(j);
            }
        }
        if (list_.empty()) {
            job.rowDone(r);
            continue;
        }
        s_.listRow = r;
        pendingRows_.push_back(r);
        s_.yRow = y;
        s_.rowBase = r * w;
        s_.list = list_.data();
        s_.count = static_cast<std::int32_t>(list_.size());
        s_.next = 0;
        return;
    }
    s_.count = s_.next = 0;
    s_.idleWhenEmpty = 1;
}

// Gives an idle orbit slot the next pixel of the list, as the kernel does.
void RowWorker::fill(int lane)
{
    if (s_.pix[lane] >= 0)
        return;
    Extended &a = s_.z[2 * lane];
    Extended &b = s_.z[2 * lane + 1];
    if (s_.next >= s_.count)
        takeRow();
    if (s_.next >= s_.count) {
        // Idle: c = 0 from 0, never at the limit.
        a = b = Extended(0.0);
        s_.x[lane] = s_.y[lane] = 0.0;
        s_.k[lane] = kIdleSteps;
        return;
    }
    const int j = list_[s_.next++];
    s_.pix[lane] = s_.rowBase + j;
    s_.row[lane] = s_.listRow;
    const double x = job_->xs[j];
    const double y = s_.yRow;
    s_.x[lane] = x;
    s_.y[lane] = y;
    // The literal first step: a = x, b = y, A = a*a, B = b*b.
    const Extended a0 = x, b0 = y;
    const Extended A0 = a0 * a0, B0 = b0 * b0;
    const Extended t = a0 * b0;
    a = A0 - B0 + a0;
    b = t + t + b0;
    s_.k[lane] = 1;
    ++s_.active;
}

// Reports the rows whose pixels are all done.
void RowWorker::report()
{
    for (std::size_t i = 0; i < pendingRows_.size();) {
        const int r = pendingRows_[i];
        bool busy = r == s_.listRow && s_.next < s_.count;
        for (int lane = 0; lane < kLanes; ++lane)
            busy = busy || (s_.pix[lane] >= 0 && s_.row[lane] == r);
        if (!busy) {
            job_->rowDone(r);
            pendingRows_[i] = pendingRows_.back();
            pendingRows_.pop_back();
        } else {
            ++i;
        }
    }
}

void RowWorker::testAtCheckpoint()
{
    for (int lane = 0; lane < kLanes; ++lane) {
        const std::int32_t pix = s_.pix[lane];
        // Orbits still young are left alone: most escape soon.
        if (pix < 0 || s_.k[lane] < s_.young)
            continue;
        CycleTest &c = test_[lane];
        if (c.pixel != pix) {
            c = CycleTest{};
            c.pixel = pix;
            c.attractor = interior::findAttractor(s_.x[lane], s_.y[lane]);
        }
        const Extended &a = s_.z[2 * lane];
        const Extended &b = s_.z[2 * lane + 1];
        unsigned char now[20];
        stateBytes(a, b, now);
        ++c.checkpoints;
        const double ar = static_cast<double>(a), bi = static_cast<double>(b);
        // The cycle search follows the orbit up to 64 steps in doubles. It is
        // tried at checkpoints ever farther apart, so that an orbit that
        // escapes late pays for a few tries only, and not where the closed
        // form knows the cycle.
        const bool tryCycle = c.checkpoints == c.cycleAt && c.attractor.period == 0;
        if (tryCycle)
            c.cycleAt += std::max(kCycleSearchSpacing, c.cycleAt / 2);
        if ((c.checkpoints > 1 && std::memcmp(now, c.saved, sizeof now) == 0)
            || interior::trapped(c.attractor, ar, bi)
            || (tryCycle && interior::trappedNearCycle(ar, bi, s_.x[lane], s_.y[lane], c.period))) {
            // Never escapes: let the kernel finish it as at the limit. It
            // counts the steps to the limit, which are not made.
            s_.steps -= s_.limit - s_.k[lane];
            ++shortcuts_;
            s_.k[lane] = s_.limit;
            continue;
        }
        if (c.checkpoints == c.saveAt) {
            std::memcpy(c.saved, now, sizeof now);
            c.saveAt *= 2;
        }
    }
}

} // namespace zoom
