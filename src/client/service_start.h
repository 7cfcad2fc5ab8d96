#ifndef QOR_CLIENT_SERVICE_START_H
#define QOR_CLIENT_SERVICE_START_H

// StartService: starts the instance's operating-system service through the
// Service Control Manager.

#include "platform/scm_api.h"
#include "u16/qor_uc.h"

// Starts the service of the instance (system ID sid, instance nr) on machine
// (none: this machine). Prints "OK" or one "FAIL: ..." line; returns 0 when
// the service runs or was started, else 1. The first form uses the system's
// Service Control Manager, which Linux does not have: it always fails with
// ERROR_CALL_NOT_IMPLEMENTED.
int start_instance_service(const QOR_UC* sid, int nr, const QOR_UC* machine);
int start_instance_service(const QOR_UC* sid, int nr, const QOR_UC* machine, ScmApi& scm);

// The service name: "QOR" + at most three characters of sid + "_" + the
// two-digit instance number; "QorHostExec" for instance 99.
void instance_service_name(const QOR_UC* sid, int nr, QOR_UC* buf, int size);

#endif
