// Writes the built-in parameter table as C++ source from the three .tsv
// files of src/param (their first lines describe their columns):
//
//   param_table_gen TABLE.tsv VALUES.tsv SUBPARAMS.tsv OUT.cpp
//
// Every row is checked on the way: known type, unit and check codes, a range
// where the type needs one, 7-bit text, value lists and sub-parameter lists
// only for rows that exist. Any fault stops the build with the file and line.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Row
{
    std::string name, type, unit, area, range, check, kind, def;
};

struct SubItem
{
    std::string key, type, unit, flag, range;
};

[[noreturn]] void fail(const std::string& where, const std::string& what)
{
    std::cerr << where << ": " << what << "\n";
    std::exit(1);
}

// The data lines of a .tsv file (comments and empty lines dropped), split at
// tabs; missing trailing fields are empty.
std::vector<std::pair<std::string, std::vector<std::string>>> read_tsv(const std::string& path,
                                                                       size_t fields)
{
    std::ifstream in(path);
    if (!in)
        fail(path, "cannot be read");
    std::vector<std::pair<std::string, std::vector<std::string>>> lines;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string where = path + ":" + std::to_string(number);
        if (line.empty() || line[0] == '#')
            continue;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> cells;
        size_t start = 0;
        while (cells.size() + 1 < fields) {
            const size_t tab = line.find('\t', start);
            if (tab == std::string::npos)
                break;
            cells.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        cells.push_back(line.substr(start));
        cells.resize(fields);
        for (const std::string& cell : cells)
            for (unsigned char c : cell)
                if (c < 0x20 || c > 0x7E)
                    fail(where, "a character outside 7-bit printable text");
        if (cells[0].empty())
            fail(where, "no name");
        lines.emplace_back(where, std::move(cells));
    }
    return lines;
}

// A u"..." literal, or nullptr.
std::string literal(const std::string& text)
{
    std::string out = "u\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        if (c == '?') // no trigraphs
            out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string literal_or_null(const std::string& text)
{
    return text.empty() ? "nullptr" : literal(text);
}

bool is_number(const std::string& s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

void check_code(const std::string& where, const std::string& code,
                const std::set<std::string>& known, const char* what)
{
    if (known.count(code) == 0)
        fail(where, std::string("unknown ") + what + " \"" + code + "\"");
}

const std::set<std::string> kTypes = {"200", "201", "203", "205", "206"};
const std::set<std::string> kUnits = {"100", "101", "102", "103", "105",
                                      "106", "107", "108", "109", "110"};

// Two decimal numbers (either may be negative) separated by one blank.
bool is_bounds(const std::string& range)
{
    std::istringstream in(range);
    long long lower = 0, upper = 0;
    std::string rest;
    return static_cast<bool>(in >> lower >> upper) && !(in >> rest) && lower <= upper;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::cerr << "usage: param_table_gen TABLE.tsv VALUES.tsv SUBPARAMS.tsv OUT.cpp\n";
        return 2;
    }
    std::vector<Row> rows;
    std::set<std::string> names, families;
    for (auto& [where, c] : read_tsv(argv[1], 8)) {
        Row r{c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]};
        check_code(where, r.type, kTypes, "type");
        check_code(where, r.unit, kUnits, "unit");
        check_code(where, r.check, {"", "time", "size"}, "check");
        check_code(where, r.kind, {"", "family", "buffer"}, "kind");
        if (r.area.empty())
            fail(where, "no area");
        if ((r.type == "203" || r.type == "205") && r.range.empty())
            fail(where, "type " + r.type + " without a range");
        if (r.type == "203" && !is_bounds(r.range))
            fail(where, "range \"" + r.range + "\" is no pair of bounds");
        if (r.kind == "family") {
            if (!r.def.empty())
                fail(where, "a family has no default of its own");
            families.insert(r.name);
        }
        if (!names.insert(r.name).second)
            fail(where, "\"" + r.name + "\" twice");
        rows.push_back(std::move(r));
    }

    std::map<std::string, std::vector<std::string>> values;
    for (auto& [where, c] : read_tsv(argv[2], 2)) {
        if (families.count(c[0]) == 0)
            fail(where, "\"" + c[0] + "\" is no family of the table");
        values[c[0]].push_back(c[1]);
    }
    std::map<std::string, std::vector<SubItem>> subparams;
    for (auto& [where, c] : read_tsv(argv[3], 6)) {
        if (names.count(c[0]) == 0)
            fail(where, "\"" + c[0] + "\" is not in the table");
        check_code(where, c[2], kTypes, "type");
        check_code(where, c[3], kUnits, "unit");
        if (!is_number(c[4]))
            fail(where, "flag \"" + c[4] + "\" is no number");
        subparams[c[0]].push_back({c[1], c[2], c[3], c[4], c[5]});
    }

    std::ofstream out(argv[4]);
    out << "// Generated by param_table_gen from param_table.tsv, param_values.tsv and\n"
           "// param_subparams.tsv. Do not edit.\n"
           "#include \"param/param_checks.h\"\n"
           "#include \"param/param_table.h\"\n\n"
           "namespace {\n\n";
    std::map<std::string, std::string> value_arrays, sub_arrays;
    for (const auto& [family, list] : values) {
        const std::string id = "kValues" + std::to_string(value_arrays.size());
        value_arrays[family] = id;
        out << "const QOR_UC* const " << id << "[] = {";
        for (const std::string& v : list)
            out << literal(v) << ", ";
        out << "nullptr};\n";
    }
    for (const auto& [name, items] : subparams) {
        const std::string id = "kSub" + std::to_string(sub_arrays.size());
        sub_arrays[name] = id;
        out << "const QorParamSubDesc " << id << "[] = {\n";
        for (const SubItem& i : items)
            out << "    {" << literal(i.key) << ", u\"\", " << i.unit << ", " << i.flag << ", "
                << i.type << ", " << literal_or_null(i.range) << "},\n";
        out << "    {nullptr, nullptr, 0, 0, 0, nullptr}};\n";
    }
    out << "\n} // namespace\n\nextern const QorParamDesc qorparam_builtin_table[] = {\n";
    for (const Row& r : rows) {
        const bool family = r.kind == "family";
        const auto v = value_arrays.find(r.name);
        const auto s = sub_arrays.find(r.name);
        const char* check = r.check == "time"   ? "qorparam_check_time"
                            : r.check == "size" ? "qorparam_check_size"
                                                : "nullptr";
        out << "    {" << literal(r.name) << ", " << (family ? "nullptr" : literal(r.def)) << ", "
            << r.type << ", " << literal_or_null(r.range) << ", " << r.unit << ", "
            << literal(r.area) << ", u\"\", 0, 0, " << (family ? 1 : 0) << ", "
            << (v != value_arrays.end() ? v->second : "nullptr") << ", "
            << (s != sub_arrays.end() ? s->second : "nullptr") << ", " << check << ", "
            << (r.kind == "buffer" ? 1 : 0) << "},\n";
    }
    out << "    {nullptr, nullptr, 0, nullptr, 0, nullptr, nullptr, 0, 0, 0, nullptr, nullptr, "
           "nullptr, 0}};\n\n"
        << "extern const size_t qorparam_builtin_rows = " << rows.size() << ";\n";
    out.close();
    if (!out)
        fail(argv[4], "cannot be written");
    return 0;
}
