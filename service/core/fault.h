/*
 * The structured detail that a SOAP Fault of the host-control namespace can
 * carry: an "OperationException" element with a numeric code, a message,
 * the operation's id and a list of key/value messages.  The fault reader
 * keeps such an object in the detail's "fault" member; everything else in
 * the detail stays as literal XML text in "__any".
 */

class QORHostControl__ResponseMessage_ {
public:
	char *mMessageKey;
	char *mMessageValue;
};

class QORHostControl__ArrayOfResponseMessages_ {
public:
	QORHostControl__ResponseMessage_ *__ptr;
	int __size;
};

class _QORHostControl__OperationException_ {
public:
	int mFaultCode 1;
	char *mMessage;
	char *mOperationID;
	QORHostControl__ArrayOfResponseMessages_ *mResponseMessages;
};
