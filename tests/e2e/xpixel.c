/* Prints the colour shown at a point of a window, as RRGGBB in capitals: what the screen shows there, whatever
   window is on top. The point is relative to the window's top left corner inside its border, as xwininfo's
   "Absolute upper-left" has it. Prints nothing and fails when the window is gone or the point is off the screen.
   Usage: xpixel WINDOW-ID X Y */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>

static int failed = 0;

static int NoteError(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    failed = 1;
    return 0;
}

/* The share of `pixel` under `mask`, scaled to 0..255. */
static unsigned Channel(unsigned long pixel, unsigned long mask) {
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const unsigned long top = mask >> shift;
    return (unsigned)(((pixel & mask) >> shift) * 255 / top);
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: xpixel WINDOW-ID X Y\n");
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "xpixel: cannot open display\n");
        return 1;
    }
    XSetErrorHandler(NoteError);
    const Window window = (Window)strtoul(argv[1], NULL, 0);
    const Window root = DefaultRootWindow(display);
    int x = 0, y = 0;
    Window child;
    if (!XTranslateCoordinates(display, window, root, atoi(argv[2]), atoi(argv[3]), &x, &y, &child))
        failed = 1;
    XSync(display, False);
    XImage* image = NULL;
    if (!failed && x >= 0 && y >= 0 && x < DisplayWidth(display, DefaultScreen(display)) &&
        y < DisplayHeight(display, DefaultScreen(display)))
        image = XGetImage(display, root, x, y, 1, 1, AllPlanes, ZPixmap);
    XSync(display, False);
    if (!image || failed) {
        XCloseDisplay(display);
        return 1;
    }
    const unsigned long pixel = XGetPixel(image, 0, 0);
    printf("%02X%02X%02X\n", Channel(pixel, image->red_mask), Channel(pixel, image->green_mask),
           Channel(pixel, image->blue_mask));
    XDestroyImage(image);
    XCloseDisplay(display);
    return 0;
}
