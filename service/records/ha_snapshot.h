// High-availability check results and the snapshot list.
//
// The binary snapshot content itself (QORControl__SnapshotZip) lives with the
// core types because of its attachment handling.

#import "core/types.h"

/// One finding of a high-availability check.
class QORControl__HACheck
{
  public:
    enum QORControl__HAVerificationState state;
    enum QORControl__HACheckCategory category;
    char* description;
    char* comment;
};

/// Findings of HACheckConfig and HACheckFailoverConfig ("check").
class QORControl__ArrayOfHACheck
{
  public:
    QORControl__HACheck* __ptr;
    int __size;
};

/// One stored snapshot as ListSnapshots reports it.
class QORControl__SnapshotInfo
{
  public:
    char* filename;
    LONG64 size;
    char* modtime;
    char* description;
};

/// Result of ListSnapshots ("snapshots").
class QORControl__ArrayOfSnapshotInfo
{
  public:
    QORControl__SnapshotInfo* __ptr;
    int __size;
};
