/* Starts a program and prints how long it took until its window showed a colour at a point: the launch time
   as a user sees it. Polls the screen every millisecond, so the figure is not blurred by a slow probe.
   Usage: firstpaint X Y RRGGBB PROGRAM [ARGS...]   (X, Y relative to the window's top left corner)
   Prints "MILLISECONDS PID" and leaves the program running; prints "none PID" and exits with 1 when the
   colour has not shown within 30 s. */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1e6;
}

/* The viewable top-level window whose _NET_WM_PID is pid, or 0. */
static Window WindowOf(Display* display, pid_t pid) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Window root, parent, *children = NULL, found = 0;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        Atom type;
        int format;
        unsigned long items, rest;
        unsigned char* data = NULL;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &rest,
                               &data) == Success &&
            data && items == 1 && (pid_t) * (unsigned long*)data == pid) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
                found = children[i];
        }
        if (data)
            XFree(data);
    }
    if (children)
        XFree(children);
    return found;
}

/* The colour shown on the screen at the window's point (x, y), as 0xRRGGBB, or -1. */
static long ShownAt(Display* display, Window window, int x, int y) {
    int sx, sy;
    Window child;
    if (!XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &sx, &sy, &child))
        return -1;
    XImage* image = XGetImage(display, DefaultRootWindow(display), sx, sy, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return -1;
    const long colour = (long)(XGetPixel(image, 0, 0) & 0xFFFFFF);
    XDestroyImage(image);
    return colour;
}

static int IgnoreErrors(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0; /* the window may go away between the calls */
}

int main(int argc, char** argv) {
    if (argc < 5) {
        fprintf(stderr, "usage: firstpaint X Y RRGGBB PROGRAM [ARGS...]\n");
        return 2;
    }
    const int x = atoi(argv[1]), y = atoi(argv[2]);
    const long want = strtol(argv[3], NULL, 16);
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "firstpaint: cannot open display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    const double start = Now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[4], argv + 4);
        _exit(127);
    }
    while (Now() - start < 30000.0) {
        const Window window = WindowOf(display, pid);
        if (window && ShownAt(display, window, x, y) == want) {
            printf("%.0f %d\n", Now() - start, (int)pid);
            return 0;
        }
        usleep(1000);
    }
    printf("none %d\n", (int)pid);
    return 1;
}
