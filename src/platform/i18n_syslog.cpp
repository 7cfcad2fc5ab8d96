// The system log stands in for the event log of the I18N start-up.
#include "platform/i18n_os.h"

#include <syslog.h>

void i18n_report_event(const char* source, const char* message)
{
    openlog(source, LOG_PID | LOG_NDELAY, LOG_USER);
    syslog(LOG_ERR, "%s", message);
    closelog();
}
