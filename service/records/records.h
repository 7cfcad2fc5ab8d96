// Every record class the control service returns, with its array class.
// Imported by the schema's root header.

#import "records/alert_syslog_dir.h"
#import "records/enqueue.h"
#import "records/ha_snapshot.h"
#import "records/instance.h"
#import "records/j2ee_alias_cache_websession.h"
#import "records/j2ee_cluster.h"
#import "records/j2ee_session_thread_process.h"
#import "records/logfile_heap_gc.h"
#import "records/process.h"
#import "records/profile_parameter.h"
#import "records/webdisp_xcm.h"
