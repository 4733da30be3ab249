/* SPDX-License-Identifier: GPL-3.0-or-later */
/* Watches the light against the display's frames: reads one row of a window's picture from
   the X server over and over while the server tells every frame counter (MSC) of the window's
   output through the Present extension, and places each reading between two frames by the
   server's own order (an event carries the sequence number of the last request the server had
   handled when it made the event). Reports, as counts:
     frames     the frames seen, and the frame period measured from their times (UST);
     changes    the picture's changes, each in the frame interval where it happened;
     doubled    frame intervals that held more than one change;
     early      changes in the first half of their interval (by the readings before and after
                them), against late ones in the second half; a change seen across a frame's
                start counts at that start (boundary).
   Usage: frame-watch WINDOW-ID X Y WIDTH SECONDS
   Prints one line "frames N period-us P median-us M changes C doubled D early E late L
   boundary B readings R" and exits 0, or 2
   on bad arguments or a server that tells no frames. */
#include <xcb/present.h>
#include <xcb/xcb.h>

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

/* One frame as told: its counter, time, and the sequence of the last request handled. */
typedef struct {
    uint64_t msc, ust;
    uint32_t sequence;
} Frame;

/* One reading: the row's hash and its request's sequence. */
typedef struct {
    uint64_t hash;
    uint32_t sequence;
} Reading;

static uint8_t presentOpcode;
static uint32_t eventId;
static xcb_window_t window;
static Frame* frames;
static size_t frameCount, frameCapacity;
static uint64_t highestAsked;

static void Ask(xcb_connection_t* c, uint64_t msc) {
    xcb_present_notify_msc(c, window, 0, msc, 0, 0);
    if (msc > highestAsked) highestAsked = msc;
}

/* Takes the frames the connection holds; keeps eight frames asked for ahead. */
static void TakeFrames(xcb_connection_t* c) {
    xcb_generic_event_t* event;
    while ((event = xcb_poll_for_queued_event(c)) != NULL) {
        const xcb_ge_generic_event_t* ge = (const xcb_ge_generic_event_t*)event;
        if (event->response_type == XCB_GE_GENERIC && ge->extension == presentOpcode &&
            ge->length >= 2 && ge->event_type == XCB_PRESENT_COMPLETE_NOTIFY) {
            const xcb_present_complete_notify_event_t* n =
                (const xcb_present_complete_notify_event_t*)event;
            if (n->kind == XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC && n->event == eventId &&
                (frameCount == 0 || n->msc > frames[frameCount - 1].msc) &&
                frameCount < frameCapacity) {
                frames[frameCount].msc = n->msc;
                frames[frameCount].ust = n->ust;
                frames[frameCount].sequence = n->full_sequence;
                ++frameCount;
                if (highestAsked < n->msc) highestAsked = n->msc;
                while (highestAsked < n->msc + 8)
                    Ask(c, highestAsked + 1);
            }
        }
        free(event);
    }
}

static int Compare(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

int main(int argc, char** argv) {
    if (argc != 6) {
        fprintf(stderr, "usage: %s WINDOW-ID X Y WIDTH SECONDS\n", argv[0]);
        return 2;
    }
    window = (xcb_window_t)strtoul(argv[1], NULL, 0);
    const int x = atoi(argv[2]), y = atoi(argv[3]), width = atoi(argv[4]);
    const double seconds = atof(argv[5]);
    if (window == 0 || width <= 0 || seconds <= 0) return 2;
    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) return 2;
    const xcb_query_extension_reply_t* present = xcb_get_extension_data(c, &xcb_present_id);
    if (!present || !present->present) {
        fprintf(stderr, "%s: no Present extension\n", argv[0]);
        return 2;
    }
    presentOpcode = present->major_opcode;
    eventId = xcb_generate_id(c);
    xcb_present_select_input(c, eventId, window, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
    frameCapacity = (size_t)(seconds * 1000) + 64; /* up to 1000 frames a second */
    frames = calloc(frameCapacity, sizeof *frames);
    const size_t readingCapacity = (size_t)(seconds * 20000) + 64;
    Reading* readings = calloc(readingCapacity, sizeof *readings);
    if (!frames || !readings) return 2;
    Ask(c, 0);
    xcb_flush(c);

    size_t readingCount = 0;
    const double start = Now();
    while (Now() - start < seconds && readingCount < readingCapacity) {
        const xcb_get_image_cookie_t cookie = xcb_get_image(
            c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, (int16_t)x, (int16_t)y, (uint16_t)width, 1, ~0u);
        xcb_get_image_reply_t* reply = xcb_get_image_reply(c, cookie, NULL);
        if (!reply) {
            fprintf(stderr, "%s: the server gave no picture\n", argv[0]);
            return 2;
        }
        const uint8_t* data = xcb_get_image_data(reply);
        const int length = xcb_get_image_data_length(reply);
        uint64_t h = 1469598103934665603ull;
        for (int i = 0; i < length; ++i)
            h = (h ^ data[i]) * 1099511628211ull;
        free(reply);
        readings[readingCount].hash = h;
        readings[readingCount].sequence = cookie.sequence;
        ++readingCount;
        TakeFrames(c);
        xcb_flush(c);
        const struct timespec pause = {0, 250000};
        nanosleep(&pause, NULL);
    }
    TakeFrames(c);
    if (frameCount < 10) {
        fprintf(stderr, "%s: %zu frames told\n", argv[0], frameCount);
        return 2;
    }

    /* The period from the first and last frame's times. */
    const double period = (double)(frames[frameCount - 1].ust - frames[0].ust) /
                          (double)(frames[frameCount - 1].msc - frames[0].msc);
    /* Each reading's interval: the index of the last frame the server told before it. Only
       readings between the first and the last frame told count. */
    size_t changes = 0, doubled = 0, early = 0, late = 0, boundary = 0;
    size_t f = 0;
    size_t intervalStart = 0; /* first reading of the current interval */
    size_t changesHere = 0;
    size_t* changeAt = calloc(readingCapacity, sizeof *changeAt); /* readings of this interval */
    if (!changeAt) return 2;
    int started = 0;
    for (size_t i = 0; i < readingCount; ++i) {
        size_t g = f;
        while (g + 1 < frameCount && (int32_t)(frames[g + 1].sequence - readings[i].sequence) < 0)
            ++g;
        if ((int32_t)(frames[g].sequence - readings[i].sequence) >= 0) continue; /* before */
        if (g + 1 >= frameCount) break; /* after the last frame told */
        if (!started) {
            started = 1;
            f = g;
            intervalStart = i;
            continue;
        }
        if (g != f) {
            /* A new interval: judge the last one's changes by their place in it. */
            const size_t n = i - intervalStart;
            for (size_t k = 0; k < changesHere; ++k) {
                if (2 * (changeAt[k] - intervalStart) <= n) {
                    ++early;
                } else {
                    ++late;
                }
            }
            if (changesHere > 1) ++doubled;
            f = g;
            intervalStart = i;
            changesHere = 0;
            /* A change between the last reading before the frame began and the first after
               it is placed at the frame's start: a paint that came just before would have
               been counted late by its painter. */
            if (readings[i].hash != readings[i - 1].hash) {
                changeAt[changesHere++] = i;
                ++changes;
                ++boundary;
            }
            continue;
        }
        if (readings[i].hash != readings[i - 1].hash) {
            changeAt[changesHere++] = i;
            ++changes;
        }
    }
    double* gaps = malloc(frameCount * sizeof *gaps);
    if (!gaps) return 2;
    for (size_t i = 1; i < frameCount; ++i)
        gaps[i - 1] = (double)(frames[i].ust - frames[i - 1].ust) /
                      (double)(frames[i].msc - frames[i - 1].msc);
    qsort(gaps, frameCount - 1, sizeof *gaps, Compare);
    printf("frames %zu period-us %.3f median-us %.3f changes %zu doubled %zu early %zu late %zu "
           "boundary %zu readings %zu\n",
           frameCount, period, gaps[(frameCount - 1) / 2], changes, doubled, early, late, boundary,
           readingCount);
    free(gaps);
    free(changeAt);
    free(readings);
    free(frames);
    xcb_disconnect(c);
    return 0;
}
