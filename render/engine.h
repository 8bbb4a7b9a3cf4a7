#pragma once
// The zoom-series arithmetic: geometry of one image, the escape-time
// iteration in x87 extended precision, and a row engine that computes the
// rows of one image on worker threads. No Qt in here.

#include <cstdint>
#include <memory>

namespace zoom {

// Factor clamps: |f| < 0.1 (bound in extended precision) -> 1.0; then
// f > 1e8 -> 1e8.
double ClampFactor(double factor);

// llrintl(5 * factor) clamped to 200 ... 5000; `factor` already clamped.
int IterationLimit(double factor);

struct Geometry {
    int w = 0, h = 0;
    int limit = 200;
    double factor = 1.0;  // clamped
    double aspect = 0.0;  // h / w
    double dx = 0.0, dy = 0.0;
    double left = 0.0, top = 0.0;
};

// The geometry of an image of w x h pixels around (re, im) at the clamped
// factor, each value computed in extended precision and stored as a double.
Geometry MakeGeometry(int w, int h, double clampedFactor, double re, double im);

// Colour index of the point c = x + y i: escape count mod 256, 0 when the
// limit is reached.
std::uint8_t EscapeIndex(double x, double y, int limit);

// The image computed pixel by pixel in one thread, literally: out receives
// w * h indices, row by row.
void RenderPlain(const Geometry &g, std::uint8_t *out);

// Computes the rows of one image ahead of the caller on a pool of worker
// threads. The caller takes the rows in order with WaitRow.
class RowEngine {
public:
    explicit RowEngine(unsigned threads = 0);  // 0: one per core
    ~RowEngine();
    RowEngine(const RowEngine &) = delete;
    RowEngine &operator=(const RowEngine &) = delete;

    // Starts the image; any image still in progress is cancelled first.
    void Begin(const Geometry &g);
    // Blocks until row r (0 ... h-1) of the current image is computed and
    // returns its w indices. Rows must be taken in increasing order.
    const std::uint8_t *WaitRow(int r);
    // Stops the workers on the current image; rows not yet taken are
    // discarded. Returns when no worker touches the image any more.
    void Cancel();

    unsigned threads() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zoom
