/* A local-socket peer for the end-to-end tests, run as another user: it takes names, connects and speaks.
 * A name that starts with '@' is in the abstract namespace.
 *
 *   unixpeer listen NAME...       listens on each name, prints "ready" and waits to be killed
 *   unixpeer flood COUNT NAME...  opens up to COUNT connections to each name and keeps them, prints how many
 *                                 it got and "ready", and waits to be killed
 *   unixpeer say TEXT NAME...     sends TEXT to each name it can reach and leaves; says whether it was hung up on
 *                                 before it could
 */
#include <errno.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

static socklen_t address_of(const char* name, struct sockaddr_un* address) {
    size_t length = strlen(name);
    memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (length >= sizeof address->sun_path)
        length = sizeof address->sun_path - 1;
    memcpy(address->sun_path, name, length);
    if (name[0] == '@')
        address->sun_path[0] = '\0';
    return (socklen_t)(offsetof(struct sockaddr_un, sun_path) + length + (name[0] == '@' ? 0 : 1));
}

static int reach(const char* name) {
    struct sockaddr_un address;
    const socklen_t size = address_of(name, &address);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    if (fd >= 0 && connect(fd, (struct sockaddr*)&address, size) == 0)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    if (strcmp(argv[1], "listen") == 0) {
        for (int i = 2; i < argc; ++i) {
            struct sockaddr_un address;
            const socklen_t size = address_of(argv[i], &address);
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            if (bind(fd, (struct sockaddr*)&address, size) != 0 || listen(fd, 64) != 0) {
                fprintf(stderr, "cannot listen on %s: %s\n", argv[i], strerror(errno));
                return 1;
            }
        }
    } else if (strcmp(argv[1], "flood") == 0 && argc >= 4) {
        struct rlimit limit;
        if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
            limit.rlim_cur = limit.rlim_max;
            setrlimit(RLIMIT_NOFILE, &limit);
        }
        const int count = atoi(argv[2]);
        for (int i = 3; i < argc; ++i) {
            int got = 0;
            for (int n = 0; n < count; ++n)
                got += reach(argv[i]) >= 0;
            printf("%s: %d of %d connections\n", argv[i], got, count);
        }
    } else if (strcmp(argv[1], "say") == 0 && argc >= 4) {
        for (int i = 3; i < argc; ++i) {
            const int fd = reach(argv[i]);
            const ssize_t sent = fd >= 0 ? send(fd, argv[2], strlen(argv[2]), MSG_NOSIGNAL) : -1;
            printf("%s: %s\n", argv[i], fd < 0 ? "not reached" : sent >= 0 ? "said" : "hung up on");
            if (fd >= 0)
                close(fd);
        }
        return 0;
    } else {
        return 2;
    }
    printf("ready\n");
    fflush(stdout);
    for (;;)
        pause();
}
