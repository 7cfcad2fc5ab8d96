#ifndef QOR_TESTS_CLIENT_SOAP_LITE_SERVICE_H
#define QOR_TESTS_CLIENT_SOAP_LITE_SERVICE_H

// The control service of soap_lite_service.pl, made with another SOAP stack
// (Perl's SOAP::Lite), run as a child process on a free instance port of
// 127.0.0.1 for the lifetime of this object.

#include <sys/types.h>

#include <string>
#include <vector>

namespace clienttest {

// Why the service cannot run here (perl or SOAP::Lite missing), "" when it can.
std::string soap_lite_missing();

class SoapLiteService
{
  public:
    // GetInstanceProperties answers with a fault whose faultstring is the
    // next of fault_texts, in turn.
    explicit SoapLiteService(const std::vector<std::string>& fault_texts);
    ~SoapLiteService();
    SoapLiteService(const SoapLiteService&) = delete;
    SoapLiteService& operator=(const SoapLiteService&) = delete;

    // The instance number it listens for; -1 when it did not start.
    int nr() const { return nr_; }

  private:
    pid_t pid_ = -1;
    int nr_ = -1;
};

} // namespace clienttest

#endif
