/* SPDX-License-Identifier: GPL-3.0-or-later */
/* Watches the light as the X server shows it: reads one row of a window's picture from the
   server every quarter of a millisecond (reading without a pause would take a processor from
   the program and the server it watches), times every change of that row, and reports the picture's
   steps per second, the mean, 99th-percentile and longest interval between steps.
   Usage: light-watch WINDOW-ID X Y WIDTH SECONDS INTERVAL-MS [TOLERANCE]
   INTERVAL-MS may have decimals. Exits 1 when the median step differs from INTERVAL-MS by
   more than TOLERANCE (default 0.025; a light on whole milliseconds is 3.2 % off at 17.3 Hz),
   or the steps on the grid run more than 3 % slower or faster than one per INTERVAL-MS; 2 on
   bad arguments. The longest gap is reported: on a busy machine the server or the program
   may stall, which skips steps but moves no step off its grid. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static int Compare(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

/* FNV-1a over the row's pixels. */
static uint64_t RowHash(XImage* image, int width) {
    uint64_t h = 1469598103934665603ull;
    for (int x = 0; x < width; ++x) {
        const unsigned long pixel = XGetPixel(image, x, 0);
        h = (h ^ pixel) * 1099511628211ull;
    }
    return h;
}

int main(int argc, char** argv) {
    if (argc != 7 && argc != 8) {
        fprintf(stderr, "usage: %s WINDOW-ID X Y WIDTH SECONDS INTERVAL-MS [TOLERANCE]\n",
                argv[0]);
        return 2;
    }
    const double tolerance = argc == 8 ? atof(argv[7]) : 0.025;
    const unsigned long window = strtoul(argv[1], NULL, 0);
    const int x = atoi(argv[2]), y = atoi(argv[3]), width = atoi(argv[4]);
    const double seconds = atof(argv[5]), interval = atof(argv[6]) / 1000.0;
    if (window == 0 || width <= 0 || seconds <= 0 || interval <= 0) {
        fprintf(stderr, "%s: bad arguments\n", argv[0]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 2;
    }
    const size_t capacity = (size_t)(seconds / interval * 4) + 16;
    double* at = malloc(capacity * sizeof *at);
    if (!at) return 2;
    size_t changes = 0;
    uint64_t last = 0;
    int first = 1;
    const double start = Now();
    double now = start;
    while ((now = Now()) - start < seconds) {
        XImage* image = XGetImage(display, window, x, y, (unsigned)width, 1, AllPlanes, ZPixmap);
        if (!image) {
            fprintf(stderr, "%s: the server gave no picture\n", argv[0]);
            return 1;
        }
        const uint64_t h = RowHash(image, width);
        XDestroyImage(image);
        if (!first && h != last && changes < capacity) at[changes++] = Now();
        first = 0;
        last = h;
        const struct timespec pause = {0, 250000};
        nanosleep(&pause, NULL);
    }
    if (changes < 3) {
        printf("light: %zu changes in %.1f s\n", changes, seconds);
        return 1;
    }
    /* Steps between the first and the last change seen, against the steps due meanwhile. */
    const double span = at[changes - 1] - at[0];
    const size_t n = changes - 1;
    double* gaps = malloc(n * sizeof *gaps);
    if (!gaps) return 2;
    for (size_t i = 0; i < n; ++i)
        gaps[i] = at[i + 1] - at[i];
    /* Each gap counts the steps due in it, so a step the program skipped on a busy machine
       does not read as a slower light, while a light off the frequency does: at 17.3 Hz a
       28 ms step counts as one step of 28.9 ms, and the rate comes out 3 % high. A step shown
       late followed by one shown early counts two between them, as due. */
    double grid = 0;
    for (size_t i = 0; i < n; ++i) {
        const double steps = gaps[i] / interval;
        grid += (double)(long)(steps + 0.5);
    }
    qsort(gaps, n, sizeof *gaps, Compare);
    const double rate = grid / span, due = 1.0 / interval;
    const double mean = span / (double)n, p99 = gaps[(n * 99) / 100], longest = gaps[n - 1];
    printf("light: %zu steps seen, %.0f on the grid, in %.3f s: %.3f per second, %.3f due "
           "(%.4f of due); interval mean %.3f ms (%.4f x), p99 %.3f ms (%.3f x), longest "
           "%.3f ms\n",
           n, grid, span, rate, due, rate / due, mean * 1e3, mean / interval, p99 * 1e3,
           p99 / interval, longest * 1e3);
    /* The median step among those shown one grid step apart: a light off the frequency moves
       it (28 ms for 28.9 ms at 17.3 Hz), while a late step's long and short gaps and a skipped
       step's double gap do not. */
    size_t from = 0, to = n;
    while (from < n && gaps[from] < 0.5 * interval)
        ++from;
    while (to > from && gaps[to - 1] > 1.5 * interval)
        --to;
    const double median = to > from ? gaps[from + (to - from) / 2] : 0;
    printf("light: median step %.3f ms (%.4f of the interval due)\n", median * 1e3,
           median / interval);
    const int ok = median >= interval * (1 - tolerance) && median <= interval * (1 + tolerance) &&
                   rate >= due * 0.97 && rate <= due * 1.03;
    free(gaps);
    free(at);
    XCloseDisplay(display);
    return ok ? 0 : 1;
}
