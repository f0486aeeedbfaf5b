// Tables shared with other programs: files as other xBase programs write
// them open here, and LibreOffice reads what the engine writes.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "StorageSupport.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Le(uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(v >> (8 * i));
    return out;
}

std::string Be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

struct RawField {
    std::string name;
    char type;
    int width, decimals;
};

// A table image as other programs lay it out: field addresses filled in,
// an optional block after the terminator, no closing end-of-file byte.
std::string TableImage(unsigned char version, const std::vector<RawField>& fields,
                       const std::vector<std::string>& records, int extraAfterTerminator = 0) {
    int recordSize = 1;
    for (const RawField& f : fields)
        recordSize += f.width;
    int headerSize = 32 + 32 * static_cast<int>(fields.size()) + 1 + extraAfterTerminator;
    std::string out;
    out += static_cast<char>(version);
    out += "\x7C\x03\x0F";  // last update 2024-03-15
    out += Le(static_cast<uint32_t>(records.size()), 4) + Le(headerSize, 2) + Le(recordSize, 2);
    out += std::string(20, '\0');
    int address = 1;
    for (const RawField& f : fields) {
        std::string d = f.name + std::string(11 - f.name.size(), '\0');
        d += f.type;
        d += Le(static_cast<uint32_t>(address), 4);
        d += static_cast<char>(f.width);
        d += static_cast<char>(f.decimals);
        d += std::string(14, '\0');
        out += d;
        address += f.width;
    }
    out += '\x0D';
    out += std::string(static_cast<size_t>(extraAfterTerminator), '\0');
    for (const std::string& r : records)
        out += r;
    return out;
}

// Why LibreOffice cannot take part here, or "" when it can.
std::string LibreOfficeMissing() {
    if (std::system("command -v soffice > /dev/null 2>&1") != 0)
        return "LibreOffice (soffice) is not installed";
    if (std::system("test -e \"$(dirname \"$(readlink -f \"$(command -v soffice)\")\")/libdbaselo.so\"") != 0)
        return "LibreOffice has no dBASE driver (libreoffice-base-drivers)";
    return "";
}

// Has LibreOffice write the table in folder as out/<name>.csv (comma,
// double quotes, UTF-8); false when it could not load the table.
bool ConvertToCsv(const std::string& folder, const std::string& table) {
    std::string command = "cd '" + folder + "' && HOME='" + folder +
                          "' soffice --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' "
                          "--outdir out " + table + " > /dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return false;
    std::string csv = folder + "/out/" + table.substr(0, table.rfind('.')) + ".csv";
    return std::ifstream(csv).good();
}

// The cells of one CSV line, quotes taken off.
std::vector<std::string> CsvCells(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream cellStream(line);
    std::string cell;
    while (std::getline(cellStream, cell, ','))
        cells.push_back(cell.size() >= 2 && cell.front() == '"' ? cell.substr(1, cell.size() - 2) : cell);
    return cells;
}

}  // namespace

TEST_F(StorageTest, DbaseThreeTableWithDbtMemoFromAnotherProgram) {
    std::string table = dir.file("LEGACY.DBF");
    WriteFile(table, TableImage(0x83, {{"NAME", 'C', 8, 0}, {"PRICE", 'N', 7, 2}, {"NOTE", 'M', 10, 0}},
                                {" Widget    12.50         1", "*Gadget     3.00          "}));
    std::string dbt = Le(3, 4) + std::string(12, '\0') + '\x03' + std::string(495, '\0');
    dbt += "hello from dbt\r\nline two\x1A\x1A";
    dbt.resize(1024, '\0');
    WriteFile(dir.file("LEGACY.DBT"), dbt);

    ASSERT_GT(xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NTX), 0);
    EXPECT_EQ(xb_RecCount(), 2);
    xb_GoTop();
    EXPECT_EQ(Str(xb_GetTrimString("NAME")), "Widget");
    EXPECT_EQ(Str(xb_GetString("PRICE")), "  12.50");
    EXPECT_EQ(Memo("NOTE"), "hello from dbt\r\nline two");
    xb_Skip(1);
    EXPECT_EQ(xb_Deleted(), 1);
    EXPECT_EQ(Memo("NOTE"), "");

    // New memos go to the end of the memo file and read back after reopening.
    ASSERT_TRUE(AppendValues({{"NAME", "Added"}, {"NOTE", "written here"}}));
    xb_Close();
    ASSERT_GT(xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NTX), 0);
    xb_Go(1);
    EXPECT_EQ(Memo("NOTE"), "hello from dbt\r\nline two");
    xb_Go(3);
    EXPECT_EQ(Memo("NOTE"), "written here");
    EXPECT_EQ(ReadFile(table).back(), '\x1A');
}

TEST_F(StorageTest, FoxProTableWithBinaryFieldsAndFptMemo) {
    std::string table = dir.file("fox.dbf");
    std::string record1 = std::string(" ") + Le(4711, 4) + "Smith     " + Le(8, 4);
    std::string record2 = std::string(" ") + Le(static_cast<uint32_t>(-3), 4) + "Jones     " + Le(0, 4);
    WriteFile(table, TableImage(0x30, {{"ID", 'I', 4, 0}, {"NAME", 'C', 10, 0}, {"NOTE", 'M', 4, 0}},
                                {record1, record2}, 263));
    std::string fpt = Be32(9) + std::string("\x00\x00\x00\x40", 4) + std::string(504, '\0');
    fpt += Be32(1) + Be32(10) + "fox memo!!";
    WriteFile(dir.file("fox.fpt"), fpt);

    ASSERT_GT(xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_FOX), 0);
    EXPECT_EQ(xb_FieldCount(), 3);
    xb_GoTop();
    EXPECT_EQ(Str(xb_GetString("ID")), "4711");
    EXPECT_EQ(Str(xb_GetTrimString("NAME")), "Smith");
    EXPECT_EQ(Memo("NOTE"), "fox memo!!");
    xb_Skip(1);
    EXPECT_EQ(Str(xb_GetString("ID")), "-3");
    EXPECT_EQ(Memo("NOTE"), "");
}

// Runs only where LibreOffice is installed with its dBASE driver.
TEST_F(StorageTest, LibreOfficeReadsWhatTheEngineWrites) {
    if (std::string missing = LibreOfficeMissing(); !missing.empty())
        GTEST_SKIP() << missing;

    std::vector<FieldSpec> fields;
    std::vector<std::string> names;
    names.reserve(22);  // the definitions point into these names
    for (int i = 0; i < 22; ++i) {
        names.push_back("F" + std::to_string(i + 1));
        const char* type = i % 4 == 0 ? "N" : i % 4 == 1 ? "D" : i % 4 == 2 ? "L" : "C";
        fields.push_back({names.back().c_str(), type, type[0] == 'N' ? 10 : 12, type[0] == 'N' ? 2 : 0});
    }
    std::string table = dir.file("office.dbf");
    ASSERT_EQ(CreateTable(table, fields), "");
    ASSERT_GT(xb_Use(table.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < 3; ++r) {
        std::vector<std::pair<const char*, std::string>> values;
        std::vector<std::string> row;
        for (int i = 0; i < 22; ++i) {
            std::string v = i % 4 == 0 ? std::to_string(r * 100 + i) + ".25"
                           : i % 4 == 1 ? "2024031" + std::to_string(r + 1)
                           : i % 4 == 2 ? (r % 2 ? "T" : "F")
                                        : "row" + std::to_string(r) + "col" + std::to_string(i);
            row.push_back(v);
        }
        for (int i = 0; i < 22; ++i)
            values.emplace_back(names[i].c_str(), row[i]);
        ASSERT_TRUE(AppendValues(values));
        rows.push_back(row);
    }
    xb_Close();

    ASSERT_TRUE(ConvertToCsv(dir.path(), "office.dbf"));
    std::istringstream csv(ReadFile(dir.file("out/office.csv")));
    std::string line;
    std::getline(csv, line);  // field names
    for (int r = 0; r < 3; ++r) {
        ASSERT_TRUE(std::getline(csv, line)) << r;
        std::vector<std::string> cells = CsvCells(line);
        ASSERT_EQ(cells.size(), 22u) << line;
        for (int i = 0; i < 22; ++i) {
            const std::string& want = rows[r][i];
            if (i % 4 == 0)
                EXPECT_DOUBLE_EQ(std::stod(cells[i]), std::stod(want)) << line;
            else if (i % 4 == 1)
                EXPECT_NE(cells[i].find(want.substr(6, 2)), std::string::npos) << line;  // the day
            else if (i % 4 == 2)
                EXPECT_EQ(cells[i] == "TRUE" || cells[i] == "1", want == "T") << line;
            else
                EXPECT_EQ(cells[i], want) << line;
        }
    }
}

// A table with memo fields is the NSX family's (first byte 0xE5, memos in
// .SMT); LibreOffice may show its other fields, or refuse the file.
TEST_F(StorageTest, LibreOfficeShowsTheFieldsBesideMemos) {
    if (std::string missing = LibreOfficeMissing(); !missing.empty())
        GTEST_SKIP() << missing;

    std::string table = dir.file("notes.dbf");
    ASSERT_EQ(CreateTable(table, {{"NAME", "C", 10, 0}, {"NOTE", "M", 10, 0}, {"PRICE", "N", 8, 2}}), "");
    ASSERT_EQ(FillTable(table, {{"Alpha", "first memo", "12.50"}, {"Beta", "second memo", "3.00"}}), "");
    if (!ConvertToCsv(dir.path(), "notes.dbf"))
        GTEST_SKIP() << "LibreOffice refuses a table with memo fields in the engine's format (0xE5, .SMT memos)";

    std::istringstream csv(ReadFile(dir.file("out/notes.csv")));
    std::string line;
    std::getline(csv, line);  // field names
    const std::pair<std::string, double> rows[] = {{"Alpha", 12.5}, {"Beta", 3.0}};
    for (const auto& [name, price] : rows) {
        ASSERT_TRUE(std::getline(csv, line)) << name;
        std::vector<std::string> cells = CsvCells(line);
        ASSERT_GE(cells.size(), 3u) << line;
        EXPECT_EQ(cells[0], name) << line;
        EXPECT_DOUBLE_EQ(std::stod(cells[2]), price) << line;
    }
}
