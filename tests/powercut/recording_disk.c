/* Serves one file, "disk", kept in an image file, and appends every write
 * and flush that reaches it to a log, in the order it came, so that
 * a test can rebuild what the disk held at any moment.
 *
 *   recording_disk IMAGE LOG DELAY_US MOUNTPOINT [FUSE options]
 *
 * Log records: kind (1 byte), offset (u64), length (u32), then the data of
 * a write. Kinds: 'W' write, 'S' fsync, 'F' flush.
 * A record is in the log before the kernel hears that the write is done.
 * DELAY_US slows every write down, as a slow device would. */
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

static int image = -1;
static int logfd = -1;
static unsigned delay_us;
static const char kDisk[] = "/disk";

static int record(char kind, uint64_t offset, const void* data, uint32_t length) {
    unsigned char head[13];
    head[0] = (unsigned char)kind;
    memcpy(head + 1, &offset, 8);
    memcpy(head + 9, &length, 4);
    struct iovec parts[2] = {{head, sizeof head}, {(void*)data, length}};
    ssize_t n = writev(logfd, parts, 2);
    return n == (ssize_t)(sizeof head + length) ? 0 : -EIO;
}

static void* disk_init(struct fuse_conn_info* conn, struct fuse_config* cfg) {
    (void)conn;
    /* Writes must reach us when the loop device sends them, not from a cache. */
    cfg->direct_io = 1;
    return NULL;
}

static int disk_getattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
    (void)fi;
    memset(st, 0, sizeof *st);
    if (strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0755;
        st->st_nlink = 2;
        return 0;
    }
    if (strcmp(path, kDisk) != 0) return -ENOENT;
    struct stat backing;
    if (fstat(image, &backing) != 0) return -errno;
    st->st_mode = S_IFREG | 0600;
    st->st_nlink = 1;
    st->st_size = backing.st_size;
    return 0;
}

static int disk_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t offset,
                        struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
    (void)offset, (void)fi, (void)flags;
    if (strcmp(path, "/") != 0) return -ENOENT;
    fill(buf, ".", NULL, 0, 0);
    fill(buf, "..", NULL, 0, 0);
    fill(buf, kDisk + 1, NULL, 0, 0);
    return 0;
}

static int disk_open(const char* path, struct fuse_file_info* fi) {
    if (strcmp(path, kDisk) != 0) return -ENOENT;
    fi->direct_io = 1;
    return 0;
}

static int disk_read(const char* path, char* buf, size_t size, off_t offset, struct fuse_file_info* fi) {
    (void)path, (void)fi;
    ssize_t n = pread(image, buf, size, offset);
    return n < 0 ? -errno : (int)n;
}

static int disk_write(const char* path, const char* buf, size_t size, off_t offset,
                      struct fuse_file_info* fi) {
    (void)path, (void)fi;
    if (delay_us) usleep(delay_us);
    ssize_t n = pwrite(image, buf, size, offset);
    if (n < 0) return -errno;
    int failed = record('W', (uint64_t)offset, buf, (uint32_t)n);
    return failed ? failed : (int)n;
}

static int disk_fsync(const char* path, int datasync, struct fuse_file_info* fi) {
    (void)path, (void)datasync, (void)fi;
    return record('S', 0, NULL, 0);
}

static int disk_flush(const char* path, struct fuse_file_info* fi) {
    (void)path, (void)fi;
    return record('F', 0, NULL, 0);
}

static const struct fuse_operations operations = {
    .init = disk_init,
    .getattr = disk_getattr,
    .readdir = disk_readdir,
    .open = disk_open,
    .read = disk_read,
    .write = disk_write,
    .fsync = disk_fsync,
    .flush = disk_flush,
};

int main(int argc, char* argv[]) {
    if (argc < 5) {
        fprintf(stderr, "usage: %s IMAGE LOG DELAY_US MOUNTPOINT [FUSE options]\n", argv[0]);
        return 2;
    }
    image = open(argv[1], O_RDWR);
    logfd = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0600);
    if (image < 0 || logfd < 0) {
        perror("recording_disk");
        return 1;
    }
    delay_us = (unsigned)strtoul(argv[3], NULL, 10);
    /* One thread: the log's order is the order the writes were answered in. */
    char* args[64] = {argv[0], "-f", "-s", argv[4]};
    int n = 4;
    for (int i = 5; i < argc && n < 63; ++i) args[n++] = argv[i];
    return fuse_main(n, args, &operations, NULL);
}
