#include "app/model/archive_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/app/archive_file_bytes.h"

namespace {

using namespace archive_testing;

std::vector<sim::ArchiveRecordBytes> Read(const std::string& file, int* count) {
    std::vector<sim::ArchiveRecordBytes> records;
    *count = ReadArchiveFile(file, [&](const TArchiveRecord& record) {
        sim::ArchiveRecordBytes bytes;
        std::memcpy(bytes.data(), &record, bytes.size());
        records.push_back(bytes);
    });
    return records;
}

// One answer written out by hand: start, address, data, CRC and end as given.
std::string Answer(const std::string& address, const std::string& hex, const std::string& ending = ";4711\r") {
    return "\xff!" + address + hex + ending;
}

TEST(ArchiveFile, ReadsEveryRecordUntilTheFirstAnswerThatBreaksTheFormat) {
    const sim::ArchiveRecordBytes r0 = sim::MeasuredArchiveRecordBytes(0);
    const sim::ArchiveRecordBytes r1 = sim::MeasuredArchiveRecordBytes(1);
    const std::string first = HexOf(r0.data(), 32);
    const std::string second = HexOf(r0.data() + 32, 32);
    const std::string record1 = RecordAnswers(r1);
    const std::string lf = "\n";

    const struct {
        const char* name;
        std::string file;
        int count;
    } cases[] = {
        {"one record", RecordAnswers(r0), 1},
        {"two records", RecordAnswers(r0) + record1, 2},
        {"an empty file", "", 0},
        {"a text file", "Архив ЗКВ-7\r\n", 0},
        {"a line feed after every answer", Answer("1;", first) + lf + Answer("1;", second) + lf, 0},
        {"62 digits in the first answer", Answer("1;", first.substr(0, 62)) + Answer("1;", second), 0},
        {"a line feed inside the data", Answer("1;", first.substr(0, 40) + lf + first.substr(41)) + Answer("1;", second),
         0},
        {"a NUL inside the data", Answer("1;", first.substr(0, 10) + std::string(1, '\0') + first.substr(11)) +
                                      Answer("1;", second), 0},
        {"no address", Answer(";", first) + Answer("1;", second), 0},
        {"no 0xFF", "!1;" + first + ";4711\r" + Answer("1;", second), 0},
        {"the first answer without its \\r", Answer("1;", first, ";4711") + Answer("1;", second), 0},
        {"the first answer without its CRC", Answer("1;", first, ";\r") + Answer("1;", second), 0},
        {"the first answer ending in a line feed", Answer("1;", first, ";4711\n") + Answer("1;", second), 0},
        // The numbers are read wherever "%d" takes one, of any length, and never compared.
        {"blanks before the numbers", Answer(" \t1;", first, "; 4711\r") + Answer("\r\n7;", second), 1},
        {"numbers beyond any integer", Answer("99999999999999999999;", first, ";-99999999999999999999\r") +
                                           Answer("1;", second), 1},
        // Without its ';' the address runs on into the data's leading digits, which are then missing.
        {"an address without its ';'", Answer("1", first) + Answer("1", second), 0},
        // A record whose second answer lacks only its ending still counts; the reading stops there.
        {"the second answer without its ending", Answer("1;", first) + Answer("1;", second, "") + record1, 1},
        {"the second answer ending in a line feed", Answer("1;", first) + Answer("1;", second, ";4711\n") + record1,
         1},
        {"the file ends inside the next record", RecordAnswers(r0) + record1.substr(0, 70), 1},
        {"the file ends inside the second answer", RecordAnswers(r0).substr(0, 100), 0},
    };
    for (const auto& c : cases) {
        int count = -1;
        const std::vector<sim::ArchiveRecordBytes> records = Read(c.file, &count);
        EXPECT_EQ(count, c.count) << c.name;
        ASSERT_EQ(records.size(), static_cast<std::size_t>(c.count)) << c.name;
        if (c.count >= 1) {
            EXPECT_EQ(records[0], r0) << c.name;
        }
        if (c.count >= 2) {
            EXPECT_EQ(records[1], r1) << c.name;
        }
    }
}

TEST(ArchiveFile, AFileLongerThanTheInstrumentsArchiveIsReadWhole) {
    int count = 0;
    const auto records = MeasuredRecords(600);
    EXPECT_EQ(Read(ArchiveFileOf(records), &count), records);
    EXPECT_EQ(count, 600);
}

}  // namespace
