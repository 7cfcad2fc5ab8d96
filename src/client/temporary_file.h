#ifndef QOR_CLIENT_TEMPORARY_FILE_H
#define QOR_CLIENT_TEMPORARY_FILE_H

#include <string>

/* A new hidden file in a folder that is to replace a file there. It is
 * removed when the object ends without having been renamed, and also when
 * SIGINT, SIGTERM, SIGHUP, SIGQUIT or SIGXFSZ (a file-size limit) ends the
 * program while it exists (the signal then takes its course; one that is
 * ignored stays ignored). One at a time. */
class TemporaryFile
{
  public:
    /* Creates the file, readable and writable by the owner only, in the
     * folder that the descriptor (O_PATH will do) holds; fd() is -1 when
     * that failed. */
    explicit TemporaryFile(int folder);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    /* The descriptor belongs to the caller from now on. */
    void release_fd() { fd_ = -1; }
    /* Renames the file onto name in the same folder; true on success, after
     * which it is no longer removed. */
    bool rename_to(const std::string& name);

  private:
    int fd_ = -1;
    bool exists_ = false;
};

#endif
