/*
 * Value types of the control service schema, read by the schema compiler.
 *
 * Every schema file that declares records or elements #imports this one.
 * Member types:
 *   xsd:string                         char *   (null when absent; an element
 *                                      <name/> also reads as null, while
 *                                      <name></name> reads as "")
 *   xsd:int / xsd:long / xsd:double    int / LONG64 / double
 *   xsd:boolean                        bool
 *   QORControl:STATE-COLOR and the
 *   other enumerations below           enum QORControl__STATE_COLOR, ...
 *   array of xsd:string                QORControl__ArrayOfString
 *
 * Members are read whatever xsi:type their elements declare, except the
 * enumerations, which check theirs.
 *
 * Outside strict mode the enumerations and the boolean accept any decimal
 * number besides their names and store it unchanged, and an empty element
 * leaves the value as it was; every enumeration is stored as a 32-bit int
 * whatever number it holds (see service/mend_generated.cmake and
 * service/core/reader_mends.cpp).
 */

/* xsd:string items of QORControl__ArrayOfString */
typedef char *xsd__string;

/* QORControl:STATE-COLOR; 0, the default, has no name */
enum QORControl__STATE_COLOR {
	QORControl_GRAY = 1,
	QORControl_GREEN = 2,
	QORControl_YELLOW = 3,
	QORControl_RED = 4
};

/* QORControl:VISIBLE-LEVEL */
enum QORControl__VISIBLE_LEVEL {
	QORControl_UNKNOWN = 0,
	QORControl_OPERATOR = 1,
	QORControl_EXPERT = 2,
	QORControl_DEVELOPER = 3
};

/* QORControl:J2EE-PSTATE; 0, the default, has no name */
enum QORControl__J2EE_PSTATE {
	QORControl_J2EE_STOPPED = 1,
	QORControl_J2EE_STARTING = 2,
	QORControl_J2EE_CORE_RUNNING = 3,
	QORControl_J2EE_RUNNING = 4,
	QORControl_J2EE_STOPPING = 5,
	QORControl_J2EE_MAINTENANCE = 6,
	QORControl_J2EE_UNKNOWN = 7
};

/* QORControl:StartStopOption */
enum QORControl__StartStopOption {
	QORControl_ALL_INSTANCES = 0,
	QORControl_SCS_INSTANCES = 1,
	QORControl_DIALOG_INSTANCES = 2,
	QORControl_VORN_INSTANCES = 3,
	QORControl_J2EE_INSTANCES = 4,
	QORControl_PRIORITY_LEVEL = 5,
	QORControl_TOVA_INSTANCES = 6,
	QORControl_ENQREP_INSTANCES = 7,
	QORControl_ZDB_INSTANCES = 8,
	QORControl_ALLNOZDB_INSTANCES = 9
};

/* QORControl:LogFileConfigOperation */
enum QORControl__LogFileConfigOperation {
	QORControl_SET_LOGFILES = 0,
	QORControl_ADD_LOGFILES = 1,
	QORControl_REMOVE_LOGFILES = 2
};

/* QORControl:RESTRICTION-TYPE */
enum QORControl__RESTRICTION_TYPE {
	QORControl_RESTRICT_NONE = 0,
	QORControl_RESTRICT_INT = 1,
	QORControl_RESTRICT_FLOAT = 2,
	QORControl_RESTRICT_INTRANGE = 3,
	QORControl_RESTRICT_FLOATRANGE = 4,
	QORControl_RESTRICT_ENUM = 5,
	QORControl_RESTRICT_BOOL = 6
};

/* QORControl:PERSISTENCE-TYPE */
enum QORControl__PERSISTENCE_TYPE {
	QORControl_DYNAMIC = 0,
	QORControl_PERSIST = 1,
	QORControl_DYNAMIC_PERSIST = 2
};

/* QORControl:HAVerificationState */
enum QORControl__HAVerificationState {
	QORControl_HA_SUCCESS = 0,
	QORControl_HA_WARNING = 1,
	QORControl_HA_ERROR = 2
};

/* QORControl:HACheckCategory */
enum QORControl__HACheckCategory {
	QORControl_QOR_CONFIGURATION = 0,
	QORControl_QOR_STATE = 1,
	QORControl_HA_CONFIGURATION = 2,
	QORControl_HA_STATE = 3
};

/* QORControl:ArrayOfString: one "item" element per string */
class QORControl__ArrayOfString {
public:
	xsd__string *__ptr;
	int __size;
};

/* QORControl:ArrayOfInt */
class QORControl__ArrayOfInt {
public:
	int *__ptr;
	int __size;
};

/*
 * QORControl:SnapshotZip: the bytes of one snapshot, as base64 text or as a
 * DIME attachment that the element refers to by href.  id, type and options
 * let the runtime bind the attachment to the object; they stay null for
 * inline data.
 */
class QORControl__SnapshotZip {
public:
	unsigned char *__ptr;
	int __size;
	char *id;
	char *type;
	char *options;
};
