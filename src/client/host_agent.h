#ifndef QOR_CLIENT_HOST_AGENT_H
#define QOR_CLIENT_HOST_AGENT_H

// CheckHostAgent: whether the host agent's programs are installed here.

// The machine's folder for installed programs.
#define QOR_PROGRAM_FILES_DIR "/opt"
// The host agent's program folder below it; it holds the programs
// "qorhostexec" and "qorstartsrv".
#define QOR_HOST_AGENT_SUBDIR "QOR/zoziduro/exe"

// 0 when every host-agent program exists in
// QOR_PROGRAM_FILES_DIR/QOR_HOST_AGENT_SUBDIR, 1 when one is missing.
int check_host_agent_installed(void);
// The same below another program folder; a folder path that does not fit
// the path buffer ends the run with exit code 1 (client_exit) after its
// message.
int check_host_agent_installed_in(const char* program_files);

#endif
