/* Creating, listing, fetching and deleting snapshots. */

#import "core/types.h"
#import "core/responses.h"
#import "records/records.h"

/* "analyze-maxentries" is spelled with "z", unlike the other names */
int QORControl__CreateSnapshot(
	char *description,
	char *datcol_param,
	int analyse_severity_level 1 = 2,
	char *analyse_starttime,
	char *analyse_endtime,
	int analyze_maxentries 1 = 10000,
	int maxentries 1 = -10000,
	QORControl__ArrayOfString logfiles 1,
	QORControl__CreateSnapshotResponse &response);

/* The snapshot arrives inline as base64 or as a DIME attachment. */
int QORControl__ReadSnapshot(
	char *filename,
	QORControl__SnapshotZip &snapshot 0);

int QORControl__ListSnapshots(
	QORControl__ArrayOfSnapshotInfo &snapshots 0);

int QORControl__DeleteSnapshots(
	QORControl__ArrayOfString *snapshots,
	QORControl__DeleteSnapshotsResponse &response);
