// The nine field printers in list and script format, absent values
// included.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "client/field_printers.h"
#include "soapH.h"

namespace {

class ClientPrinters : public testing::Test
{
  protected:
    void SetUp() override { soap_ = soap_new1(SOAP_C_UTFSTRING); }
    void TearDown() override
    {
        soap_destroy(soap_);
        soap_end(soap_);
        soap_free(soap_);
    }

    std::string capture(const std::function<void()>& print)
    {
        std::fflush(stdout);
        testing::internal::CaptureStdout();
        print();
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }

    struct soap* soap_ = nullptr;
};

const QOR_UC* const kList = u"list";
const QOR_UC* const kScript = u"script";

TEST_F(ClientPrinters, SimpleFieldsByFormatIndexAndLastFlag)
{
    struct Case
    {
        std::function<void(struct soap*, int index, int last, const QOR_UC* format)> print;
        const char* list; // not last
        const char* list_last;
        const char* script; // index 3
        const char* script_no_index;
    };
    const Case cases[] = {
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_string_field(s, u"n", "v\xc3\xa9", i, l, f);
         },
         "v\xc3\xa9, ", "v\xc3\xa9\n", "3 n: v\xc3\xa9\n", "n: v\xc3\xa9\n"},
        // Plain ASCII, control characters included, prints the same bytes.
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_string_field(s, u"n", "a\tb\x01 c", i, l, f);
         },
         "a\tb\x01 c, ", "a\tb\x01 c\n", "3 n: a\tb\x01 c\n", "n: a\tb\x01 c\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_string_field(s, u"n", nullptr, i, l, f);
         },
         ", ", "\n", "", ""},
        // Bytes that are not UTF-8 print as U+FFFD, an encoded surrogate as
        // "#"; a character cut off at the end fails the conversion, and the
        // value prints as an absent one.
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_string_field(s, u"n", "M\xfcller", i, l, f);
         },
         "M\xef\xbf\xbdller, ", "M\xef\xbf\xbdller\n", "3 n: M\xef\xbf\xbdller\n",
         "n: M\xef\xbf\xbdller\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_string_field(s, u"n", "a\xed\xa0\x80", i, l, f);
         },
         "a#, ", "a#\n", "3 n: a#\n", "n: a#\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_string_field(s, u"n", "abc\xc3", i, l, f);
         },
         ", ", "\n", "", ""},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_int_field(s, u"n", INT_MIN, i, l, f);
         },
         "-2147483648, ", "-2147483648\n", "3 n: -2147483648\n", "n: -2147483648\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_int_field(s, u"n", -42, i, l, f);
         },
         "-42, ", "-42\n", "3 n: -42\n", "n: -42\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_int64_field(s, u"n", 9000000000LL, i, l, f);
         },
         "9000000000, ", "9000000000\n", "3 n: 9000000000\n", "n: 9000000000\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_double_field(s, u"n", 1.5, i, l, f);
         },
         "1.500000, ", "1.500000\n", "3 n: 1.500000\n", "n: 1.500000\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_bool_field(s, u"n", true, i, l, f);
         },
         "TRUE, ", "TRUE\n", "3 n: TRUE\n", "n: TRUE\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_bool_field(s, u"n", false, i, l, f);
         },
         "FALSE, ", "FALSE\n", "3 n: FALSE\n", "n: FALSE\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_enum_field(s, u"n", 2, u"STATE_COLOR", i, l, f);
         },
         "GREEN, ", "GREEN\n", "3 n: GREEN\n", "n: GREEN\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_enum_field(s, u"n", 9, u"STATE_COLOR", i, l, f);
         },
         "9, ", "9\n", "3 n: 9\n", "n: 9\n"},
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_enum_field(s, u"n", 1, u"OTHER", i, l, f);
         },
         "1, ", "1\n", "3 n: 1\n", "n: 1\n"},
        // The restriction printer shows the index even when it is negative.
        {[](struct soap* s, int i, int l, const QOR_UC* f) {
             print_restriction_field(s, u"n", nullptr, i, l, f);
         },
         "<NULL>, ", "<NULL>\n", "3 n: <NULL>\n", "-1 n: <NULL>\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(capture([&] { c.print(soap_, 3, 0, kList); }), c.list);
        EXPECT_EQ(capture([&] { c.print(soap_, 3, 1, kList); }), c.list_last);
        EXPECT_EQ(capture([&] { c.print(soap_, 3, 0, kScript); }), c.script);
        EXPECT_EQ(capture([&] { c.print(soap_, -1, 1, kScript); }), c.script_no_index);
        // Anything but exactly "list" is script format.
        EXPECT_EQ(capture([&] { c.print(soap_, 3, 0, u"List"); }), c.script);
    }
}

TEST_F(ClientPrinters, EnumerationNames)
{
    const struct
    {
        const char16_t* type;
        int value;
        const char16_t* name;
    } cases[] = {
        {u"STATE_COLOR", 1, u"GRAY"},          {u"STATE_COLOR", 4, u"RED"},
        {u"STATE_COLOR", 0, nullptr},          {u"VISIBLE_LEVEL", 0, u"UNKNOWN"},
        {u"VISIBLE_LEVEL", 3, u"DEVELOPER"},   {u"J2EE_PSTATE", 1, u"J2EE_STOPPED"},
        {u"J2EE_PSTATE", 7, u"J2EE_UNKNOWN"},  {u"J2EE_PSTATE", 8, nullptr},
        {u"HAVerificationState", 2, u"ERROR"}, {u"HACheckCategory", 0, u"QOR CONFIGURATION"},
        {u"HACheckCategory", 3, u"HA STATE"},  {u"HACheckCategory", 4, nullptr},
    };
    for (const auto& c : cases) {
        const QOR_UC* name = enum_value_name(c.type, c.value);
        if (c.name == nullptr) {
            EXPECT_EQ(name, nullptr);
        } else {
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(std::u16string(name), c.name);
        }
    }
}

TEST_F(ClientPrinters, StringArrays)
{
    char a[] = "a";
    char b[] = "b";
    char* items[] = {a, b};
    QORControl__ArrayOfString filled;
    filled.__ptr = items;
    filled.__size = 2;
    QORControl__ArrayOfString empty;
    empty.__ptr = nullptr;
    empty.__size = 0;
    // A count without items is treated as empty, never dereferenced.
    QORControl__ArrayOfString broken;
    broken.__ptr = nullptr;
    broken.__size = 5;
    const struct
    {
        const QORControl__ArrayOfString* value;
        const char* list;
        const char* list_last;
        const char* script;
    } cases[] = {
        {nullptr, "<NULL>, ", "<NULL>\n", "0 values: <NULL>\n"},
        {&empty, ", ", "\n", "0 values:\n"},
        {&broken, ", ", "\n", "0 values:\n"},
        {&filled, "[0]=a [1]=b, ", "[0]=a [1]=b\n", "0 values[0]: a\n0 values[1]: b\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            capture([&] { print_string_array_field(soap_, u"values", c.value, 0, 0, kList); }),
            c.list);
        EXPECT_EQ(
            capture([&] { print_string_array_field(soap_, u"values", c.value, 0, 1, kList); }),
            c.list_last);
        EXPECT_EQ(
            capture([&] { print_string_array_field(soap_, u"values", c.value, 0, 0, kScript); }),
            c.script);
    }
}

TEST_F(ClientPrinters, RestrictionsOfEveryType)
{
    LONG64 min = -5;
    LONG64 max = 9000000000LL;
    double fmin = 0.25;
    double fmax = 2.0;
    char x[] = "x";
    char y[] = "y";
    char* map_items[] = {x, y};
    QORControl__ArrayOfString map;
    map.__ptr = map_items;
    map.__size = 2;
    auto restriction = [&](int type, bool with_bounds, bool with_map) {
        QORControl__ParameterRestriction r;
        r.type = static_cast<QORControl__RESTRICTION_TYPE>(type);
        r.int_min = with_bounds ? &min : nullptr;
        r.int_max = with_bounds ? &max : nullptr;
        r.float_min = with_bounds ? &fmin : nullptr;
        r.float_max = with_bounds ? &fmax : nullptr;
        r.valuemap = with_map ? &map : nullptr;
        return r;
    };
    const struct
    {
        int type;
        bool bounds;
        bool with_map;
        const char* text;
    } cases[] = {
        {0, false, false, "NONE"},
        {1, false, false, "INT"},
        {2, false, false, "FLOAT"},
        {3, true, false, "INTRANGE -5 9000000000"},
        {3, false, false, "INTRANGE <NULL> <NULL>"},
        {4, true, false, "FLOATRANGE 0.250000 2.000000"},
        {5, false, true, "ENUM x y"},
        {5, false, false, "ENUM"},
        {6, false, false, "BOOL"},
        {7, false, false, "7"},
    };
    for (const auto& c : cases) {
        const QORControl__ParameterRestriction r = restriction(c.type, c.bounds, c.with_map);
        EXPECT_EQ(capture([&] { print_restriction_field(soap_, u"r", &r, 2, 1, kList); }),
                  std::string(c.text) + "\n");
        EXPECT_EQ(capture([&] { print_restriction_field(soap_, u"r", &r, 2, 0, kScript); }),
                  "2 r: " + std::string(c.text) + "\n");
    }
}

TEST_F(ClientPrinters, SubParameterDescriptions)
{
    char name[] = "sub";
    char description[] = "d";
    QORControl__SubProfileParameter item;
    item.name = name;
    item.description = description;
    item.unit = nullptr;
    item.mandatory = true;
    item.restriction.type = static_cast<QORControl__RESTRICTION_TYPE>(1);
    item.restriction.int_min = nullptr;
    item.restriction.int_max = nullptr;
    item.restriction.float_min = nullptr;
    item.restriction.float_max = nullptr;
    item.restriction.valuemap = nullptr;
    QORControl__ArrayOfSubProfileParameter one;
    one.__ptr = &item;
    one.__size = 1;
    QORControl__ArrayOfSubProfileParameter none;
    none.__ptr = nullptr;
    none.__size = 0;

    EXPECT_EQ(
        capture([&] { print_parameter_descriptions(soap_, u"subpara", nullptr, 0, 0, kList); }),
        "<NULL>, ");
    EXPECT_EQ(capture([&] { print_parameter_descriptions(soap_, u"subpara", &none, 0, 1, kList); }),
              "\n");
    EXPECT_EQ(
        capture([&] { print_parameter_descriptions(soap_, u"subpara", &none, 1, 0, kScript); }),
        "1 subpara:\n");
    // As the last field one item ends its line with an empty line.
    EXPECT_EQ(
        capture([&] { print_parameter_descriptions(soap_, u"subpara", &one, 0, 1, kList); }),
        "[0].name=sub [0].description=d [0].unit= [0].mandatory=true [0].restriction=INT\n\n");
    EXPECT_EQ(
        capture([&] { print_parameter_descriptions(soap_, u"subpara", &one, 0, 0, kList); }),
        "[0].name=sub [0].description=d [0].unit= [0].mandatory=true [0].restriction=INT, , ");
    EXPECT_EQ(
        capture([&] { print_parameter_descriptions(soap_, u"subpara", &one, 4, 0, kScript); }),
        "4 subpara[0].name: sub\n4 subpara[0].description: d\n4 subpara[0].unit: \n"
        "4 subpara[0].mandatory: true\n4 subpara[0].restriction: INT\n");
}

} // namespace
