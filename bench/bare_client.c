/* The floor for the benchmark: the exchanges of a backup without the program
 * around them. Replays the frames a backup writes, from a script, against the
 * station on a pseudo-terminal, and after each collects the frames that answer
 * it, cut by LocoNet's length rules, in one of three ways:
 *   bytes  wake for whatever arrives (poll, then read what is there)
 *   vmin   let the terminal return only the bytes the frame still misses (VMIN)
 *   paced  sleep until the frame can be complete at the pace of earlier frames
 * Script: per exchange one byte (frames to collect), one byte (frame length),
 * the frame.
 *   bare_client bytes|vmin|paced SCRIPT PORT [EXCHANGES]
 * Exits 0 when every exchange got its frames, 1 otherwise. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

enum { kLimitMs = 2000, kLengthFollows = 255 };

struct Assembler {
    int inFrame, pos, expected, frames;
    int opcode;
    int lengths[32]; /* last length of each variable-length opcode */
};

/* Per byte: returns 1 when the byte completed a frame. */
static int Step(struct Assembler* a, unsigned char b) {
    if (b & 0x80) {
        a->inFrame = 1;
        a->pos = 0;
        a->opcode = b;
        a->expected = b < 0xA0 ? 2 : b < 0xC0 ? 4 : b < 0xE0 ? 6 : kLengthFollows;
    }
    if (!a->inFrame) return 0;
    if (++a->pos == 2 && a->expected == kLengthFollows) {
        a->expected = b;
        if (b < 2 || b > 64) a->inFrame = 0;
    }
    if (!a->inFrame || a->pos != a->expected) return 0;
    a->inFrame = 0;
    if (a->opcode >= 0xE0) a->lengths[a->opcode & 0x1F] = a->pos;
    ++a->frames;
    return 1;
}

/* Bytes still missing from the frame in progress; a guess before its length byte. */
static int Missing(const struct Assembler* a) {
    if (!a->inFrame) return 2;
    if (a->expected != kLengthFollows) return a->expected - a->pos;
    const int last = a->lengths[a->opcode & 0x1F];
    return last > a->pos ? last - a->pos : 1;
}

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static void SleepUntil(double t) {
    struct timespec ts = {(time_t)t, (long)((t - (double)(time_t)t) * 1e9)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, NULL) != 0) {
    }
}

/* Feeds what was read; returns 1 when the last byte read completed a frame. */
static int Feed(struct Assembler* a, const unsigned char* buf, ssize_t n) {
    int completedLast = 0;
    for (ssize_t i = 0; i < n; ++i) completedLast = Step(a, buf[i]);
    return completedLast;
}

/* The paced way's state: seconds per byte, and the frame in progress as first
 * seen. A frame is slept through until a quarter byte after its end is due.
 * Every kProbeEvery-th frame sleeps only until two bytes before its end and
 * then wakes for them as they come, which measures the pace; when such a
 * frame is complete already as its sleep ends, the next one is listened to
 * from its start. */
enum { kProbeEvery = 32, kMinMeasured = 6 };
struct Pace {
    double perByte;
    double firstSeen;
    int bytesSeen, tracking, exact, probe, listen;
    long frames;
};

static double Due(const struct Assembler* a, const struct Pace* p) {
    if (!a->inFrame || !p->tracking || p->perByte <= 0 || p->listen || Missing(a) < 2) return 0;
    const double margin = p->probe ? -2.0 : 0.25;
    return p->firstSeen + (a->pos + Missing(a) - p->bytesSeen + margin) * p->perByte;
}

static int Collect(int fd, const char* mode, int wanted, struct Assembler* a, struct Pace* p) {
    unsigned char buf[256];
    const int paced = strcmp(mode, "paced") == 0;
    a->frames = 0;
    int vminSet = -1;
    while (a->frames < wanted) {
        ssize_t n;
        int onArrival = 1;
        if (strcmp(mode, "vmin") == 0) {
            const int missing = Missing(a);
            if (missing != vminSet) {
                struct termios t;
                tcgetattr(fd, &t);
                t.c_cc[VMIN] = (cc_t)missing;
                t.c_cc[VTIME] = 0;
                tcsetattr(fd, TCSANOW, &t);
                vminSet = missing;
            }
            struct pollfd w = {fd, POLLIN, 0};
            if (poll(&w, 1, kLimitMs) <= 0) return 0;
            n = read(fd, buf, (size_t)missing);
        } else {
            const double due = paced ? Due(a, p) : 0;
            if (due > Now()) {
                SleepUntil(due);
                onArrival = 0;
            } else {
                struct pollfd w = {fd, POLLIN, 0};
                if (poll(&w, 1, kLimitMs) <= 0) return 0;
            }
            n = read(fd, buf, sizeof buf);
        }
        if (n <= 0) {
            if (n < 0 && onArrival) return 0;
            continue;
        }
        const double now = Now();
        const int before = p->tracking && a->inFrame ? a->pos : -1;
        if (Feed(a, buf, n) && before >= 0) {
            /* Complete on arrival, with nothing else in this read, after a
             * first sight on arrival: a measurement of the pace. */
            const int bytes = a->pos - p->bytesSeen;
            const int measured =
                before + n == a->pos && p->exact && onArrival && bytes >= kMinMeasured;
            if (measured && (p->probe || p->listen || p->perByte <= 0)) {
                p->perByte = (now - p->firstSeen) / bytes;
                p->listen = 0;
            } else if (!measured && p->probe) {
                p->listen = 1;
            }
        }
        if (!a->inFrame) {
            p->tracking = 0;
        } else if (!p->tracking || a->pos <= n) {
            p->tracking = 1;
            p->exact = onArrival;
            p->firstSeen = now;
            p->bytesSeen = a->pos;
            p->probe = ++p->frames % kProbeEvery == 0;
        }
    }
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s bytes|vmin|paced SCRIPT PORT [EXCHANGES]\n", argv[0]);
        return 2;
    }
    const char* mode = argv[1];
    const long most = argc > 4 ? atol(argv[4]) : -1;
    FILE* script = fopen(argv[2], "rb");
    const int fd = open(argv[3], O_RDWR | O_NOCTTY);
    if (!script || fd < 0) {
        perror("bare_client");
        return 2;
    }
    struct termios t;
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetspeed(&t, B115200);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &t);
    if (strcmp(mode, "vmin") != 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);

    struct Assembler a;
    struct Pace p;
    memset(&a, 0, sizeof a);
    memset(&p, 0, sizeof p);
    unsigned char frame[256];
    long done = 0;
    int wanted, length;
    while ((most < 0 || done < most) && (wanted = fgetc(script)) != EOF &&
           (length = fgetc(script)) != EOF) {
        if (fread(frame, 1, (size_t)length, script) != (size_t)length) break;
        tcflush(fd, TCIFLUSH);
        if (write(fd, frame, (size_t)length) != length) return 1;
        if (!Collect(fd, mode, wanted, &a, &p)) {
            fprintf(stderr, "bare_client: exchange %ld got %d of %d frames\n", done, a.frames,
                    wanted);
            return 1;
        }
        ++done;
    }
    fclose(script);
    close(fd);
    return 0;
}
