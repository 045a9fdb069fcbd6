#include "app/model/device_settings.h"

#include <gtest/gtest.h>

#include <QString>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/printers.h"

namespace {

std::string Hex(const TDeviceSettings& record) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : SettingsBytes(record)) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

TDeviceSettings Filled(std::uint8_t byte) {
    TDeviceSettings record;
    std::memset(&record, byte, sizeof record);
    return record;
}

TEST(DeviceSettings, EachFieldLiesAtItsOwnBytesAndTouchesNoNeighbour) {
    struct Case {
        const char* field;
        std::function<void(TDeviceSettings&)> set;  // the field at its limit
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"Year", [](TDeviceSettings& r) { r.Year = 0xFF; }, 0, {0xFF}},
        {"ArchiveWord",
         [](TDeviceSettings& r) { r.ArchiveWord[0] = r.ArchiveWord[1] = 0xFF; },
         1,
         {0xFF, 0xFF}},
        {"Averaging", [](TDeviceSettings& r) { r.Averaging = 0xFF; }, 3, {0xFF}},
        {"Digits", [](TDeviceSettings& r) { r.Digits = 0xFF; }, 4, {0xFF}},
        {"SupplyVoltage", [](TDeviceSettings& r) { r.SupplyVoltage = 0xFF; }, 5, {0xFF}},
        {"RelayTest", [](TDeviceSettings& r) { r.RelayTest = 0xFF; }, 6, {0xFF}},
        {"Buzzer", [](TDeviceSettings& r) { r.Buzzer = 0xFF; }, 7, {0xFF}},
        {"AutoOff", [](TDeviceSettings& r) { r.AutoOff = 0xFF; }, 8, {0xFF}},
        {"RefUnit", [](TDeviceSettings& r) { r.RefUnit = 0xFF; }, 9, {0xFF}},
        {"SensorUnit", [](TDeviceSettings& r) { r.SensorUnit = 0xFF; }, 10, {0xFF}},
        {"CurrentRange", [](TDeviceSettings& r) { r.CurrentRange = 0xFF; }, 11, {0xFF}},
        {"Unused", [](TDeviceSettings& r) { std::memset(r.Unused, 0xFF, 4); }, 12, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"SensorHiP",
         [](TDeviceSettings& r) { r.SensorHiP = -std::numeric_limits<float>::max(); },
         16,
         {0xFF, 0xFF, 0x7F, 0xFF}},
        {"SensorLoP", [](TDeviceSettings& r) { r.SensorLoP = 1.0f; }, 20, {0x00, 0x00, 0x80, 0x3F}},
        {"RefHi", [](TDeviceSettings& r) { r.RefHi = 1000.0f; }, 24, {0x00, 0x00, 0x7A, 0x44}},
        {"RefLo", [](TDeviceSettings& r) { r.RefLo = -2.0f; }, 28, {0x00, 0x00, 0x00, 0xC0}},
        {"SensorNo[0]", [](TDeviceSettings& r) { r.SensorNo[0] = -1; }, 32, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"SensorNo[3]", [](TDeviceSettings& r) { r.SensorNo[3] = 0x01020304; }, 44, {0x04, 0x03, 0x02, 0x01}},
    };
    for (const Case& c : cases) {
        TDeviceSettings record = Filled(0);
        c.set(record);
        std::vector<std::uint8_t> expected(kDeviceSettingsSize, 0);
        std::copy(c.bytes.begin(), c.bytes.end(), expected.begin() + static_cast<long>(c.offset));
        const auto bytes = SettingsBytes(record);
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), expected) << c.field;
    }
}

TEST(DeviceSettings, TheFactorySettingsAreTheDefaultsOfTheRecord) {
    EXPECT_EQ(Hex(DefaultDeviceSettings()),
              "07000001020000010106050100000000"  // year 7, averaging 1, digits 2, buzzer, auto-off, kPa, Pa,
                                                  // 4-20 mA
              "00000000000000000000"
              "7A44"  // RefHi 1000.0
              "00000000"
              "00000000000000000000000000000000");
}

TEST(DeviceSettings, HexAnswersFillTheRecordOnlyWithCompletePairsOfDigits) {
    const std::string full = std::string(48 * 2, 'A');
    struct Case {
        const char* name;
        int first;
        std::string hex;
        int put;
        std::string record;  // the record started as all 0xEE
    } cases[] = {
        {"whole record", 0, full, 48, full},
        {"more than the record", 0, full + "0102", 48, full},
        {"first part of 32 bytes", 0, std::string(64, '1'), 32, std::string(64, '1') + std::string(32, 'E')},
        {"second part after 32 bytes", 32, std::string(64, '2'), 16,
         std::string(64, 'E') + std::string(32, '2')},
        {"odd length", 0, "0A1", 1, "0A" + std::string(94, 'E')},
        {"not a digit", 2, "0AZZ11", 1, "EEEE0A" + std::string(90, 'E')},
        {"a separator", 0, "0102;0304", 2, "0102" + std::string(92, 'E')},
        {"empty", 0, "", 0, std::string(96, 'E')},
        {"at the end", 48, "0102", 0, std::string(96, 'E')},
    };
    for (const Case& c : cases) {
        TDeviceSettings record = Filled(0xEE);
        EXPECT_EQ(PutSettingsHex(record, c.first, c.hex), c.put) << c.name;
        EXPECT_EQ(Hex(record), c.record) << c.name;
    }
}

TEST(SettingsView, ShowsLimitsCutAndFactoryNumbersPadded) {
    struct Case {
        float limit;
        const char* text;
    } limits[] = {
        {0.0f, "0.0000"},
        {1000.0f, "1000.0000"},
        {0.12345f, "0.1234"},
        {-123456.789f, "-123456.7"},
        {123456789.0f, "123456792"},
        // Cutting would drop integer digits and show a value a hundred times smaller.
        {1e10f, "10000000000"},
    };
    for (const Case& c : limits) {
        TDeviceSettings record = DefaultDeviceSettings();
        record.RefHi = c.limit;
        EXPECT_EQ(ViewOfSettings(record).refHi, QString(c.text)) << c.limit;
    }
    TDeviceSettings record = DefaultDeviceSettings();
    record.SensorNo[0] = 5;
    record.SensorNo[1] = -12;
    record.SensorNo[2] = 123456789;
    const SettingsView view = ViewOfSettings(record);
    EXPECT_EQ(view.sensorNo[0], "0000005");
    EXPECT_EQ(view.sensorNo[1], "-000012");
    EXPECT_EQ(view.sensorNo[2], "123456789");
    EXPECT_EQ(view.sensorNo[3], "0000000");
}

TEST(SettingsView, ListsShowOnlyTheBytesTheirItemsStandFor) {
    struct Case {
        std::uint8_t supply, refUnit, sensorUnit;
        int supplyItem, refUnitItem, sensorUnitItem;
    } cases[] = {
        {0, 6, 5, 0, 0, 0},
        {1, 7, 12, 1, 1, 7},
        {2, 5, 4, -1, -1, -1},
        {255, 8, 13, -1, -1, -1},
    };
    for (const Case& c : cases) {
        TDeviceSettings record = DefaultDeviceSettings();
        record.SupplyVoltage = c.supply;
        record.RefUnit = c.refUnit;
        record.SensorUnit = c.sensorUnit;
        const SettingsView view = ViewOfSettings(record);
        EXPECT_EQ(view.supplyVoltage, c.supplyItem) << int(c.supply);
        EXPECT_EQ(view.refUnit, c.refUnitItem) << int(c.refUnit);
        EXPECT_EQ(view.sensorUnit, c.sensorUnitItem) << int(c.sensorUnit);
    }
}

// A record whose every field holds what no control can show.
TDeviceSettings Unshowable() {
    TDeviceSettings record = Filled(0x5A);
    record.Year = 124;  // 2124; the year spin edit stops at 99
    record.Averaging = 0;
    record.Digits = 9;
    record.SupplyVoltage = 2;
    record.RelayTest = 3;
    record.Buzzer = 4;
    record.AutoOff = 5;
    record.CurrentRange = 6;
    record.RefUnit = 9;
    record.SensorUnit = 200;
    record.SensorHiP = 0.12345f;
    record.SensorLoP = std::numeric_limits<float>::quiet_NaN();
    record.RefHi = 1e10f;
    record.RefLo = 0.00001f;
    record.SensorNo[0] = 123456789;
    record.SensorNo[1] = -5;
    return record;
}

TEST(SettingsFromView, ControlsLeftAsTheyWereKeepTheRecordsBytes) {
    const TDeviceSettings record = Unshowable();
    SettingsView shown = ViewOfSettings(record);
    // What the controls would make of it: spin edits keep to their ranges, edits to their length.
    shown.year = 99;
    shown.averaging = 1;
    shown.digits = 4;
    shown.sensorNo[0] = "12345678";
    const SettingsFromForm taken = SettingsFromView(record, shown, shown);
    ASSERT_TRUE(taken.record);
    EXPECT_EQ(Hex(*taken.record), Hex(record));
}

TEST(SettingsFromView, ChangedControlsAreTakenAndEmptyListsKeepTheirByte) {
    const TDeviceSettings record = Unshowable();
    const SettingsView shown = ViewOfSettings(record);
    struct Case {
        const char* name;
        std::function<void(SettingsView&)> change;
        std::function<void(TDeviceSettings&)> expect;
        SettingsByteSet taken;
    } cases[] = {
        // The year is the clock's; the hidden control never sets it.
        {"year", [](SettingsView& v) { v.year = 25; }, [](TDeviceSettings&) {}, {}},
        {"averaging", [](SettingsView& v) { v.averaging = 20; }, [](TDeviceSettings& r) { r.Averaging = 20; },
         SettingsByteRange(3, 1)},
        {"supply", [](SettingsView& v) { v.supplyVoltage = 1; },
         [](TDeviceSettings& r) { r.SupplyVoltage = 1; }, SettingsByteRange(5, 1)},
        {"buzzer", [](SettingsView& v) { v.buzzer = 0; }, [](TDeviceSettings& r) { r.Buzzer = 0; },
         SettingsByteRange(7, 1)},
        {"reference unit", [](SettingsView& v) { v.refUnit = 1; }, [](TDeviceSettings& r) { r.RefUnit = 7; },
         SettingsByteRange(9, 1)},
        {"sensor unit", [](SettingsView& v) { v.sensorUnit = 3; },
         [](TDeviceSettings& r) { r.SensorUnit = 8; }, SettingsByteRange(10, 1)},
        {"range", [](SettingsView& v) { v.currentRange = 0; }, [](TDeviceSettings& r) { r.CurrentRange = 0; },
         SettingsByteRange(11, 1)},
        {"no selection", [](SettingsView& v) { v.relayTest = -1; }, [](TDeviceSettings&) {}, {}},
        {"upper limit", [](SettingsView& v) { v.sensorHiP = "12.5"; },
         [](TDeviceSettings& r) { r.SensorHiP = 12.5f; }, SettingsByteRange(16, 4)},
        {"limit prefix", [](SettingsView& v) { v.refLo = " -3.25kPa"; },
         [](TDeviceSettings& r) { r.RefLo = -3.25f; }, SettingsByteRange(28, 4)},
        {"factory number", [](SettingsView& v) { v.sensorNo[2] = "0000042"; },
         [](TDeviceSettings& r) { r.SensorNo[2] = 42; }, SensorNoBytes(2)},
        {"largest factory number", [](SettingsView& v) { v.sensorNo[0] = "2147483647"; },
         [](TDeviceSettings& r) { r.SensorNo[0] = 2147483647; }, SensorNoBytes(0)},
        {"unreadable factory number",
         [](SettingsView& v) { v.sensorNo[3] = "x1"; },
         [](TDeviceSettings&) {},
         {}},
        {"emptied factory number", [](SettingsView& v) { v.sensorNo[1] = ""; }, [](TDeviceSettings&) {}, {}},
    };
    for (const Case& c : cases) {
        SettingsView now = shown;
        c.change(now);
        TDeviceSettings expected = record;
        c.expect(expected);
        const SettingsFromForm taken = SettingsFromView(record, shown, now);
        ASSERT_TRUE(taken.record) << c.name;
        EXPECT_EQ(Hex(*taken.record), Hex(expected)) << c.name;
        EXPECT_EQ(taken.taken, c.taken) << c.name;
    }
}

TEST(SettingsFromView, AFactoryNumberBeyondTheRecordsIntStopsTheWholeRecord) {
    const TDeviceSettings record = DefaultDeviceSettings();
    const SettingsView shown = ViewOfSettings(record);
    const struct {
        int channel;
        const char* text;
    } cases[] = {{1, "123456789012"}, {3, "2147483648"}, {0, "-2147483649"}, {2, "99999999999x"}};
    for (const auto& c : cases) {
        SettingsView now = shown;
        now.averaging = 5;
        now.sensorNo[c.channel] = c.text;
        const SettingsFromForm taken = SettingsFromView(record, shown, now);
        EXPECT_FALSE(taken.record) << c.text;
        EXPECT_EQ(taken.badSensorNo, c.channel) << c.text;
    }
}

TEST(DeviceSettings, AnAnswerFillsOnlyTheBytesNotKnownYet) {
    struct Case {
        const char* name;
        SettingsByteSet known;
        int first;
        std::string hex;
        int carried;
        std::string record;  // the record started as all 0xEE
        SettingsByteSet knownAfter;
    } cases[] = {
        {"the factory numbers", SettingsByteRange(0, 32), 32, std::string(64, '1'), 16,
         std::string(64, 'E') + std::string(32, '1'), SettingsByteRange(0, 48)},
        {"around a typed number", SettingsByteRange(0, 32) | SensorNoBytes(1), 32, std::string(32, '2'), 16,
         std::string(64, 'E') + "22222222" + "EEEEEEEE" + std::string(16, '2'), SettingsByteRange(0, 48)},
        {"only the year", SettingsByteRange(1, 47), 0, std::string(64, '3'), 32, "33" + std::string(94, 'E'),
         SettingsByteRange(0, 48)},
        {"a short answer", SettingsByteRange(0, 32), 32, "0405", 2,
         std::string(64, 'E') + "0405" + std::string(28, 'E'), SettingsByteRange(0, 34)},
        {"nothing", SettingsByteRange(0, 32), 32, "zz", 0, std::string(96, 'E'), SettingsByteRange(0, 32)},
    };
    for (const Case& c : cases) {
        TDeviceSettings record = Filled(0xEE);
        SettingsByteSet known = c.known;
        EXPECT_EQ(FillUnknownSettings(record, known, c.first, c.hex), c.carried) << c.name;
        EXPECT_EQ(Hex(record), c.record) << c.name;
        EXPECT_EQ(known, c.knownAfter) << c.name;
        EXPECT_EQ(FirstMissingByte(known), c.knownAfter.all() ? -1 : static_cast<int>(c.knownAfter.count()))
            << c.name;
    }
}

TEST(SettingsFromView, ALimitWithoutANumberStopsTheWholeRecord) {
    const TDeviceSettings record = DefaultDeviceSettings();
    const SettingsView shown = ViewOfSettings(record);
    struct Case {
        std::function<void(SettingsView&)> change;
        SettingsLimit bad;
    } cases[] = {
        {[](SettingsView& v) { v.sensorHiP = ""; }, SettingsLimit::SensorHiP},
        {[](SettingsView& v) { v.sensorLoP = "abc"; }, SettingsLimit::SensorLoP},
        {[](SettingsView& v) { v.refHi = "1e39"; }, SettingsLimit::RefHi},  // no float
        {[](SettingsView& v) { v.refLo = "-"; }, SettingsLimit::RefLo},
        {[](SettingsView& v) {
             v.averaging = 5;
             v.refLo = ".";
         },
         SettingsLimit::RefLo},
    };
    for (const Case& c : cases) {
        SettingsView now = shown;
        c.change(now);
        const SettingsFromForm taken = SettingsFromView(record, shown, now);
        EXPECT_FALSE(taken.record);
        EXPECT_EQ(taken.badLimit, c.bad);
    }
}

}  // namespace
