#ifndef QOR_CLIENT_TEMPORARY_FILE_H
#define QOR_CLIENT_TEMPORARY_FILE_H

#include <sys/types.h>

#include <string>

/* Opens like openat(2) with a mode; tests put one in that fails. */
using FileOpener = int (*)(int folder, const char* name, int flags, mode_t mode);

/* openat(2) itself. */
int open_at(int folder, const char* name, int flags, mode_t mode);

/* A new file in a folder that is to take a name there when it is complete.
 * Where the folder's file system has unnamed files (O_TMPFILE), it has no
 * name until then, so that no ending of the program, not even SIGKILL,
 * leaves it behind (but for a SIGKILL in the instant between the hidden
 * name and the rename that replaces a name). Elsewhere it is a hidden file,
 * removed when the object ends without having been put in place, and also
 * when SIGINT, SIGTERM, SIGHUP, SIGQUIT or SIGXFSZ (a file-size limit) ends
 * the program while it exists (the signal then takes its course; one that
 * is ignored stays ignored). One at a time. */
class TemporaryFile
{
  public:
    /* Creates the file, readable and writable by the owner only, in the
     * folder that the descriptor (O_PATH will do) holds, through open.
     * may_replace tells whether names in the folder may be replaced and
     * removed: only then is a hidden file ever made, and what stands under
     * the name replaced. fd() is -1 when that failed. */
    TemporaryFile(int folder, bool may_replace, FileOpener open = open_at);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    /* Creating failed only because the file system has no unnamed files and
     * no hidden file was allowed. */
    bool needs_name() const { return needs_name_; }
    /* Gives the complete file the name in the same folder. True on success,
     * after which the file is no longer removed. */
    bool put_in_place(const std::string& name);

  private:
    void make_hidden(FileOpener open);
    bool link_hidden_and_rename(const std::string& name);

    int fd_ = -1;
    int proc_fds_ = -1; // the /proc folder through which an unnamed file is linked
    bool may_replace_ = false;
    bool unnamed_ = false;
    bool needs_name_ = false;
    bool exists_ = false; // a hidden file was made and its handlers set
};

#endif
