// Request and response elements read by the generic dispatch, as the
// service's side of the schema sees them: defaults of a freshly read element,
// required children in strict mode, and the elements of the webmethods that
// the client never calls.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "soapH.h"

namespace {

// Reads the first element of the SOAP Body of |body_xml| through the generic
// dispatch; returns the context's error and, on success, the object read.
class ElementReader
{
  public:
    ElementReader() : soap_(soap_new1(SOAP_C_UTFSTRING)) {}
    ~ElementReader()
    {
        soap_destroy(soap_);
        soap_end(soap_);
        soap_free(soap_);
    }
    ElementReader(const ElementReader&) = delete;
    ElementReader& operator=(const ElementReader&) = delete;

    int Read(const std::string& body_xml, bool strict, void** object, int* type)
    {
        if (strict)
            soap_set_imode(soap_, SOAP_XML_STRICT);
        in_.str("<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
                " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                "xmlns:QORControl=\"urn:QORControl\">"
                "<SOAP-ENV:Body>" +
                body_xml + "</SOAP-ENV:Body></SOAP-ENV:Envelope>");
        soap_->is = &in_;
        *object = nullptr;
        if (soap_begin_recv(soap_) || soap_envelope_begin_in(soap_) || soap_recv_header(soap_) ||
            soap_body_begin_in(soap_))
            return soap_->error;
        *object = soap_getelement(soap_, nullptr, type);
        if (!*object)
            return soap_->error ? soap_->error : SOAP_NO_DATA;
        return SOAP_OK;
    }

  private:
    struct soap* soap_;
    std::istringstream in_;
};

struct ElementCase
{
    const char* name;
    const char* xml;
    bool strict;
    int error;
    int type;                                     // expected type id when read
    std::function<std::string(const void*)> show; // what was read
    const char* expected;
};

void PrintTo(const ElementCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Str(const char* text)
{
    return text ? text : "(null)";
}

template <class T> std::function<std::string(const void*)> Show(std::string (*describe)(const T&))
{
    return [describe](const void* object) { return describe(*static_cast<const T*>(object)); };
}

std::string Bootstrap(const QORControl__Bootstrap& r)
{
    return Str(r.host) + "/" + std::to_string(r.nr);
}
std::string Analyse(const QORControl__AnalyseLogFiles& r)
{
    return Str(r.starttime) + "/" + std::to_string(r.severity_level) + "/" +
           std::to_string(r.maxentries);
}
std::string Create(const QORControl__CreateSnapshot& r)
{
    return std::to_string(r.analyse_severity_level) + "/" + std::to_string(r.analyze_maxentries) +
           "/" + std::to_string(r.maxentries) + "/" + std::to_string(r.logfiles.__size);
}
std::string Cluster(const QORControl__J2EEControlCluster& r)
{
    return Str(r.processname) + "/" + Str(r.host) + "/" + std::to_string(r.nr);
}
std::string SetParameter2(const QORControl__SetProcessParameter2& r)
{
    return std::to_string(r.pid) + "/" + std::to_string(r.persistence) + "/" +
           std::to_string(r.parameter.__size);
}
std::string InstanceStart(const QORControl__InstanceStart& r)
{
    return Str(r.host) + "/" + std::to_string(r.nr) + "/" + Str(r.runlevel);
}
std::string Start(const QORControl__Start& r)
{
    return Str(r.runlevel);
}
std::string Configure(const QORControl__ConfigureLogFileList& r)
{
    return std::to_string(r.operation) + "/" +
           (r.logfiles ? std::to_string(r.logfiles->__size) : "(null)");
}
std::string Pki(const QORControl__UpdateSystemPKI& r)
{
    return r.force ? "true" : "false";
}
std::string Ticket(const QORControl__RequestTicket& r)
{
    return Str(r.host) + "/" + std::to_string(r.nr) + "/" + Str(r.challenge);
}
std::string Acknowledge(const QORControl__VORNAcknowledgeAlerts& r)
{
    return Str(r.M5User) + "/" + std::to_string(r.Aid.__size);
}
std::string Remove(const QORControl__EnqRemoveLocks& r)
{
    return r.lock ? std::to_string(r.lock->__size) : "(null)";
}
std::string Alerts(const QORControl__VORNAcknowledgeAlertsResponse& r)
{
    if (!r.alert)
        return "(null)";
    std::string text;
    for (int i = 0; i < r.alert->__size; ++i)
        text += std::to_string(r.alert->__ptr[i]) + ";";
    return text;
}
std::string StopSystem(const QORControl__StopSystem& r)
{
    return std::to_string(r.options) + "/" + std::to_string(r.softtimeout) + "/" +
           std::to_string(r.waittimeout);
}

const ElementCase kElements[] = {
    {"BootstrapDefaultsNrToMinusOne", "<QORControl:Bootstrap/>", false, SOAP_OK,
     SOAP_TYPE_QORControl__Bootstrap, Show(&Bootstrap), "(null)/-1"},
    {"BootstrapStrictNeedsNr", "<QORControl:Bootstrap><host>h</host></QORControl:Bootstrap>", true,
     SOAP_OCCURS, 0, nullptr, ""},
    {"AnalyseLogFilesDefaults",
     "<QORControl:AnalyseLogFiles><starttime>t</starttime></QORControl:AnalyseLogFiles>", false,
     SOAP_OK, SOAP_TYPE_QORControl__AnalyseLogFiles, Show(&Analyse), "t/2/10000"},
    {"CreateSnapshotDefaults",
     "<QORControl:CreateSnapshot><description>d</description></QORControl:CreateSnapshot>", false,
     SOAP_OK, SOAP_TYPE_QORControl__CreateSnapshot, Show(&Create), "2/10000/-10000/0"},
    {"CreateSnapshotStrictNeedsLogfiles",
     "<QORControl:CreateSnapshot><analyse-severity-level>1</"
     "analyse-severity-level><analyze-maxentries>5"
     "</analyze-maxentries><maxentries>6</maxentries></QORControl:CreateSnapshot>",
     true, SOAP_OCCURS, 0, nullptr, ""},
    {"J2EEControlClusterDefaultsNr",
     "<QORControl:J2EEControlCluster><processname>p</processname><function>f</function>"
     "</QORControl:J2EEControlCluster>",
     false, SOAP_OK, SOAP_TYPE_QORControl__J2EEControlCluster, Show(&Cluster), "p/(null)/-1"},
    {"J2EEControlClusterStrictWithoutHost",
     "<QORControl:J2EEControlCluster><processname>p</processname><function>f</function><nr>3</nr>"
     "</QORControl:J2EEControlCluster>",
     true, SOAP_OK, SOAP_TYPE_QORControl__J2EEControlCluster, Show(&Cluster), "p/(null)/3"},
    {"SetProcessParameter2Defaults", "<QORControl:SetProcessParameter2/>", false, SOAP_OK,
     SOAP_TYPE_QORControl__SetProcessParameter2, Show(&SetParameter2), "-1/0/0"},
    {"SetProcessParameter2StrictNeedsPersistence",
     "<QORControl:SetProcessParameter2><pid>1</pid><parameter/></QORControl:SetProcessParameter2>",
     true, SOAP_OCCURS, 0, nullptr, ""},
    {"SetProcessParameter2PersistenceNameIsComparedWhole",
     "<QORControl:SetProcessParameter2><persistence>QORControl-DYNAMIC-PERSIST</persistence>"
     "</QORControl:SetProcessParameter2>",
     false, SOAP_OK, SOAP_TYPE_QORControl__SetProcessParameter2, Show(&SetParameter2), "-1/2/0"},
    {"SetProcessParameter2PersistenceOfAnotherType",
     "<QORControl:SetProcessParameter2><persistence "
     "xsi:type=\"xsd:string\">QORControl-PERSIST</persistence>"
     "</QORControl:SetProcessParameter2>",
     false, SOAP_TYPE, 0, nullptr, ""},
    {"SetProcessParameter2PersistenceAsNumber",
     "<QORControl:SetProcessParameter2><persistence>5</persistence></"
     "QORControl:SetProcessParameter2>",
     false, SOAP_OK, SOAP_TYPE_QORControl__SetProcessParameter2, Show(&SetParameter2), "-1/5/0"},
    {"InstanceStartStrictNeedsHost",
     "<QORControl:InstanceStart><nr>1</nr></QORControl:InstanceStart>", true, SOAP_OCCURS, 0,
     nullptr, ""},
    {"InstanceStartStrictWithoutRunlevel",
     "<QORControl:InstanceStart><nr>1</nr><host>h</host></QORControl:InstanceStart>", true, SOAP_OK,
     SOAP_TYPE_QORControl__InstanceStart, Show(&InstanceStart), "h/1/(null)"},
    {"StartStrictWithoutRunlevel", "<QORControl:Start/>", true, SOAP_OK,
     SOAP_TYPE_QORControl__Start, Show(&Start), "(null)"},
    {"StopSystemStrictNeedsSofttimeout",
     "<QORControl:StopSystem><options>QORControl-ALL-INSTANCES</options><waittimeout>1</"
     "waittimeout>"
     "</QORControl:StopSystem>",
     true, SOAP_OCCURS, 0, nullptr, ""},
    {"StopSystemOptionAsNumber",
     "<QORControl:StopSystem><options>42</options><softtimeout>2</softtimeout><waittimeout>1</"
     "waittimeout>"
     "</QORControl:StopSystem>",
     false, SOAP_OK, SOAP_TYPE_QORControl__StopSystem, Show(&StopSystem), "42/2/1"},
    {"StopSystemStrictRefusesNumber",
     "<QORControl:StopSystem><options>42</options><softtimeout>2</softtimeout><waittimeout>1</"
     "waittimeout>"
     "</QORControl:StopSystem>",
     true, SOAP_TYPE, 0, nullptr, ""},
    {"ConfigureLogFileListOperationAsNumber",
     "<QORControl:ConfigureLogFileList><logfiles><item>a</item></logfiles><operation>1</operation>"
     "</QORControl:ConfigureLogFileList>",
     false, SOAP_OK, SOAP_TYPE_QORControl__ConfigureLogFileList, Show(&Configure), "1/1"},
    {"ConfigureLogFileListStrictNeedsOperation", "<QORControl:ConfigureLogFileList/>", true,
     SOAP_OCCURS, 0, nullptr, ""},
    {"UpdateSystemPKIWithoutForce", "<QORControl:UpdateSystemPKI/>", false, SOAP_OK,
     SOAP_TYPE_QORControl__UpdateSystemPKI, Show(&Pki), "false"},
    {"UpdateSystemPKIStrictNeedsForce", "<QORControl:UpdateSystemPKI/>", true, SOAP_OCCURS, 0,
     nullptr, ""},
    {"RequestTicketReordered",
     "<QORControl:RequestTicket><challenge>c</challenge><nr>4</nr><host>h</host></"
     "QORControl:RequestTicket>",
     true, SOAP_OK, SOAP_TYPE_QORControl__RequestTicket, Show(&Ticket), "h/4/c"},
    {"SendTicketStrictNeedsProof",
     "<QORControl:SendTicket><challenge>c</challenge></QORControl:SendTicket>", true, SOAP_OCCURS,
     0, nullptr, ""},
    {"VORNAcknowledgeAlerts",
     "<QORControl:VORNAcknowledgeAlerts><M5Client>000</M5Client><M5User>u</M5User><M5Password>p</"
     "M5Password>"
     "<Aid><item>1</item><item>2</item></Aid></QORControl:VORNAcknowledgeAlerts>",
     true, SOAP_OK, SOAP_TYPE_QORControl__VORNAcknowledgeAlerts, Show(&Acknowledge), "u/2"},
    {"VORNAcknowledgeAlertsStrictNeedsAid",
     "<QORControl:VORNAcknowledgeAlerts><M5Client>000</M5Client><M5User>u</M5User><M5Password>p</"
     "M5Password>"
     "</QORControl:VORNAcknowledgeAlerts>",
     true, SOAP_OCCURS, 0, nullptr, ""},
    {"EnqRemoveLocksWithoutLock", "<QORControl:EnqRemoveLocks/>", true, SOAP_OK,
     SOAP_TYPE_QORControl__EnqRemoveLocks, Show(&Remove), "(null)"},
    {"VORNAcknowledgeAlertsResponseNumbers",
     "<QORControl:VORNAcknowledgeAlertsResponse><alert><item>3</item><item>-1</"
     "item><item>2147483647</item>"
     "</alert></QORControl:VORNAcknowledgeAlertsResponse>",
     false, SOAP_OK, SOAP_TYPE_QORControl__VORNAcknowledgeAlertsResponse, Show(&Alerts),
     "3;-1;2147483647;"},
    {"VORNAcknowledgeAlertsResponseWithoutAlert", "<QORControl:VORNAcknowledgeAlertsResponse/>",
     true, SOAP_OK, SOAP_TYPE_QORControl__VORNAcknowledgeAlertsResponse, Show(&Alerts), "(null)"},
    {"EnqRemoveLocksWithLocks",
     "<QORControl:EnqRemoveLocks><lock><item><lock-name>L</lock-name></item></lock></"
     "QORControl:EnqRemoveLocks>",
     false, SOAP_OK, SOAP_TYPE_QORControl__EnqRemoveLocks, Show(&Remove), "1"},
};

class Element : public ::testing::TestWithParam<ElementCase>
{
};

TEST_P(Element, ReadByTheGenericDispatch)
{
    const ElementCase& c = GetParam();
    ElementReader reader;
    void* object = nullptr;
    int type = 0;
    ASSERT_EQ(c.error, reader.Read(c.xml, c.strict, &object, &type));
    if (c.error != SOAP_OK)
        return;
    ASSERT_NE(nullptr, object);
    EXPECT_EQ(c.type, type);
    EXPECT_EQ(c.expected, c.show(object));
}

INSTANTIATE_TEST_SUITE_P(Requests, Element, ::testing::ValuesIn(kElements),
                         [](const ::testing::TestParamInfo<ElementCase>& param) {
                             return std::string(param.param.name);
                         });

} // namespace
