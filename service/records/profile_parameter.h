// Profile parameters of a process: read by GetProcessParameter, written by
// SetProcessParameter and SetProcessParameter2.

#import "core/types.h"

/// The kind of restriction on a parameter's values, with its optional bounds
/// and list of permitted values. Only ever embedded in a parameter record.
class QORControl__ParameterRestriction
{
  public:
    enum QORControl__RESTRICTION_TYPE type;
    LONG64* int_min;
    LONG64* int_max;
    double* float_min;
    double* float_max;
    QORControl__ArrayOfString* valuemap;
};

/// One sub-parameter of a profile parameter.
class QORControl__SubProfileParameter
{
  public:
    char* name;
    char* description;
    char* unit;
    bool mandatory;
    QORControl__ParameterRestriction restriction;
};

/// The sub-parameters of a profile parameter ("sub-para").
class QORControl__ArrayOfSubProfileParameter
{
  public:
    QORControl__SubProfileParameter* __ptr;
    int __size;
};

/// One profile parameter as GetProcessParameter reports it.
class QORControl__ProfileParameter
{
  public:
    char* name;
    char* group;
    char* description;
    char* unit;
    QORControl__ParameterRestriction restriction;
    QORControl__ArrayOfSubProfileParameter* sub_para;
    char* value;
    char* dynamic_value;
    QORControl__ArrayOfString* values;
    QORControl__ArrayOfString* dynamic_values;
};

/// Result of GetProcessParameter ("parameter").
class QORControl__ArrayOfProfileParameter
{
  public:
    QORControl__ProfileParameter* __ptr;
    int __size;
};

/// One parameter to be set: a name and either one value or a list of values.
class QORControl__SetProfileParameter
{
  public:
    char* name;
    char* value;
    QORControl__ArrayOfString* values;
};

/// The "parameter" list of the set-parameter requests.
class QORControl__ArrayOfSetProfileParameter
{
  public:
    QORControl__SetProfileParameter* __ptr;
    int __size;
};
