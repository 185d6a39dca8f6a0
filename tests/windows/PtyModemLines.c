/* Preloaded into Wine (LD_PRELOAD) by the Windows build's end-to-end test, so that a
 * pseudo-terminal answers for its modem lines as a serial cable does.
 *
 * Wine 10 waits on a serial port by asking the line for its modem lines (TIOCMGET) whenever it
 * wakes, and ends the wait with an error when the line cannot tell. A pseudo-terminal never can,
 * so the Windows tool would hear nothing the simulated pad answers. Here a pseudo-terminal
 * answers as a cable with every line up would, and takes the requests that set DTR and RTS.
 * Every other descriptor and request goes to the system unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

/* /dev/pts/N: Unix98 pseudo-terminal slaves have the majors 136 to 143. */
static int IsPseudoTerminal(int descriptor) {
    struct stat status;
    return fstat(descriptor, &status) == 0 && S_ISCHR(status.st_mode) &&
           major(status.st_rdev) >= 136 && major(status.st_rdev) <= 143;
}

int ioctl(int descriptor, unsigned long request, ...) {
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);

    static int (*next)(int, unsigned long, ...);
    if (!next)
        *(void **)&next = dlsym(RTLD_NEXT, "ioctl");
    const int errorBefore = errno;
    const int result = next(descriptor, request, argument);

    /* A live pseudo-terminal refuses these requests as unknown; a hung-up one (its far end
     * closed) fails them with EIO, as an unplugged converter does, and is left to say so. */
    const int modemRequest =
        request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
    if (result == 0 || errno == EIO || !modemRequest || !argument || !IsPseudoTerminal(descriptor))
        return result;
    if (request == TIOCMGET)
        *(int *)argument = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
    errno = errorBefore;
    return 0;
}
