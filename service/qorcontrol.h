/*
 * Root of the control service schema.  The schema compiler (soapcpp2) reads
 * this file at build time and generates the client calls
 * soap_call_QORControl__<webmethod>, the types and their serialisers into
 * the build tree (see service/CMakeLists.txt).
 *
 * Messages are document/literal in the namespace urn:QORControl; child
 * elements are unqualified.  The namespace table is written by hand
 * (service/core/namespaces.cpp) so that every envelope declares all nine
 * prefixes the service expects.
 */

//gsoap QORControl service name: QORControl
//gsoap QORControl service namespace: urn:QORControl
//gsoap QORControl service location: http://localhost:50013
//gsoap QORControl service style: document
//gsoap QORControl service encoding: literal
//gsoap QORControl schema namespace: urn:QORControl
//gsoap QORControl schema form: unqualified
//gsoap QORHostControl schema namespace: urn:QORHostControl
//gsoap QORHostControl schema form: unqualified

#include "core/mends.hpp"

#import "core/types.h"
#import "core/fault.h"
#import "records/records.h"
#import "core/responses.h"
#import "methods/control.h"
#import "methods/information.h"
#import "methods/alerts.h"
#import "methods/logfiles.h"
#import "methods/system.h"
#import "methods/parameters.h"
#import "methods/snapshots.h"
#import "methods/vorn.h"
#import "methods/security.h"
#import "methods/ha.h"
#import "methods/j2ee.h"
#import "methods/xcm_webdisp_enqueue.h"
